// The main window and the About box.
#include "app/aboutbox.h"
#include "app/mainform.h"
#include "rename/ui/memo.h"
#include "tools/screenshots.h"

#include <QDialog>
#include <QLabel>
#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

namespace {

const bool registered = shots::add("main", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    form.Memo2->setPlainText(QString::fromUtf8("2026年12月_01\n2026年12月_02\n"));
    shots::save(ctx, &form, QStringLiteral("mainform"));
    form.resize(1200, 760);
    shots::save(ctx, &form, QStringLiteral("mainform-wide"));

    // The status line during a long copy, as the run shows it.
    form.resize(843, 559);
    form.setStatusText(QString::fromUtf8("ファイル「2026年12月_02.mov」を作成しました"));
    auto* bar = form.findChild<QProgressBar*>(QStringLiteral("Progress"));
    auto* bytes = form.findChild<QLabel*>(QStringLiteral("CopyProgress"));
    bar->setRange(0, 4);
    bar->setFormat(QStringLiteral("%v / %m"));
    bar->setValue(1);
    bar->show();
    bytes->setText(TMainForm::copyProgressText(uint64_t{3} << 29, uint64_t{4} << 30, 12));
    bytes->show();
    auto* stop = form.findChild<QPushButton*>(QStringLiteral("ButtonStop"));
    stop->show();
    shots::save(ctx, &form, QStringLiteral("mainform-copying"));
    bar->hide();
    bytes->hide();
    stop->hide();

    // The option menu, with the swapping of names checked.
    form.OptionSwapMenu->setChecked(true);
    form.OptionMenu->popup(form.mapToGlobal(QPoint(60, 20)));
    shots::save(ctx, form.OptionMenu, QStringLiteral("mainform-optionmenu"));
    form.OptionMenu->hide();
    form.OptionSwapMenu->setChecked(false);

    TAboutBox box(&form);
    box.show();
    shots::save(ctx, &box, QStringLiteral("aboutbox"));
    box.close();
    form.hide();
});

}  // namespace
