// The tools on the memo's lines, opened from the main window's menus on the
// sample folder: the replace dialog with a counter and date tokens, the
// character conversion, and the column choice of a CSV file of names.
#include "app/mainform.h"
#include "lines/table.h"
#include "lines/ui/columnsdialog.h"
#include "lines/ui/convertdialog.h"
#include "lines/ui/replacedialog.h"
#include "rename/ui/memo.h"
#include "tools/screenshots.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

void settle(lines::ui::TLinesDialog& d)
{
    while (d.busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
}

const bool registered = shots::add("lines", [](const shots::Context& ctx) {
    TMainForm form;
    form.show();
    form.ButtonCopyClick();

    shots::onModal([&ctx](QWidget* w) {
        if (auto* d = qobject_cast<lines::ui::TReplaceDialog*>(w)) {
            d->UseRegex->setChecked(true);
            d->UseCounter->setChecked(true);
            d->SearchEdit->setText(QStringLiteral("IMG_(\\d+)"));
            d->ReplaceEdit->setText(QString::fromUtf8("旅行_$YYYY$MM$DD_${start=1,padding=3}"));
            settle(*d);
            shots::save(ctx, d, QStringLiteral("replace"));
            d->SearchEdit->setText(QStringLiteral("IMG_(\\d+"));
            settle(*d);
            shots::save(ctx, d, QStringLiteral("replace-error"));
            d->reject();
        }
    });
    form.EditReplaceMenu->trigger();

    form.Memo2->setPlainText(QString::fromUtf8("らーめん屋 ２０２６\nｶﾀｶﾅのメモ\nさくら　写真\nphoto\n"));
    shots::onModal([&ctx](QWidget* w) {
        if (auto* d = qobject_cast<lines::ui::TConvertDialog*>(w)) {
            d->Choices[6]->setChecked(true);
            settle(*d);
            shots::save(ctx, d, QStringLiteral("convert"));
            d->reject();
        }
    });
    form.EditConvertMenu->trigger();

    const std::vector<lines::Row> rows = lines::parseTable(
        u"現在の名前,新しい名前,メモ\nIMG_0001,京都_001,金閣寺\nIMG_0002,京都_002,\"清水寺, 夕方\"\n"
        u"IMG_0003,奈良_001,\nIMG_0004,奈良_002,鹿\n",
        u',');
    lines::ui::TColumnsDialog columns(rows, lines::Encoding::cp932, &form);
    columns.HeaderRow->setChecked(true);
    columns.MappingTable->setChecked(true);
    columns.show();
    shots::save(ctx, &columns, QStringLiteral("columns"));
    columns.close();
    form.hide();
});

}  // namespace
