// The list's order submenu, the filter's input box, and the window with
// more lines than files.
#include "app/mainform.h"
#include "rename/ui/memo.h"
#include "tools/screenshots.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QPushButton>

namespace {

const bool registered = shots::add("list", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    form.Memo2->setPlainText(QString::fromUtf8("2026年12月_00\n2026年12月_01\n2026年12月_02\n2026年12月_03\n"
                                               "2026年12月_04\n2026年12月_05\n2026年12月_06\n"
                                               "2026年12月_07\n2026年12月_08\n2026年12月_09\n2026年12月_10\n"));
    shots::save(ctx, &form, QStringLiteral("mainform-more-lines"));

    form.OptionOrderMenu->popup(form.mapToGlobal(QPoint(150, 40)));
    shots::save(ctx, form.OptionOrderMenu, QStringLiteral("order-menu"));
    form.OptionOrderMenu->hide();

    shots::onModal([&](QWidget* box) {
        shots::save(ctx, box, QStringLiteral("filter-input"));
        if (auto* cancel = box->findChild<QPushButton*>(QStringLiteral("Cancel")))
            cancel->click();
    });
    form.OptionFilterMenu->trigger();
});

}  // namespace
