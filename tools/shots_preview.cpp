// The preview of a run, opened from the main window's edit menu on the
// sample folder with a memo that has a little of everything.
#include "app/mainform.h"
#include "app/previewform.h"
#include "rename/ui/memo.h"
#include "tools/screenshots.h"

#include <QAction>
#include <QCheckBox>

namespace {

const bool registered = shots::add("preview", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    form.CheckBoxOldDel->setChecked(true);
    form.Memo2->setPlainText(QString::fromUtf8("2026年12月_01\n2026年12月_02\n2026年12月_02\n"
                                               "\n旅行:京都\narchive\nphoto\n"));
    shots::onModal([&ctx](QWidget* w) {
        if (auto* p = qobject_cast<TPreviewForm*>(w)) {
            shots::save(ctx, p, QStringLiteral("preview"));
            p->OnlyProblems->setChecked(true);
            shots::save(ctx, p, QStringLiteral("preview-problems"));
        }
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    });
    form.EditPreviewMenu->trigger();
    form.hide();
});

// Names swapped: two pictures swapped and two shifted along, the preview in
// the run's order with the swap's temporary steps.
const bool swapped = shots::add("preview-swap", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    form.CheckBoxOldDel->setChecked(true);
    form.OptionSwapMenu->setChecked(true);
    // The first line pairs with "a.tar.gz", which keeps its name.
    form.Memo2->setPlainText(QString::fromUtf8("\nIMG_0002\nIMG_0001\nIMG_0004\nIMG_0005\n"));
    shots::onModal([&ctx](QWidget* w) {
        if (auto* p = qobject_cast<TPreviewForm*>(w))
            shots::save(ctx, p, QStringLiteral("preview-swap"));
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    });
    form.EditPreviewMenu->trigger();
    form.hide();
});

}  // namespace
