// The folder browser and the options dialog.
#include "app/mainform.h"
#include "filedialog/ui/browsefolder.h"
#include "settings/values.h"
#include "tools/screenshots.h"

#include <QDialog>
#include <QFile>
#include <QPushButton>

namespace {

std::string bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

void cancel(QWidget* dlg)
{
    if (auto* b = dlg->findChild<QPushButton*>(QStringLiteral("Cancel")))
        b->click();
    else if (auto* d = qobject_cast<QDialog*>(dlg))
        d->reject();
}

const bool registered = shots::add("folder", [](const shots::Context& ctx) {
    for (const char* p : {"サブフォルダ/2026年12月", "旅行写真/沖縄", "旅行写真/北海道", "書類"})
        ctx.sample.mkpath(QString::fromUtf8(p));
    const std::string sample = bytes(ctx.sample.absolutePath());

    TMainForm form;
    form.show();

    // The classic chooser on the sample tree, with a title and a status line
    // that follows the selection.
    {
        TnxBrowseFolder b(&form);
        b.RootDir = sample;
        b.RootSpecialDir = sfNone;
        b.Title = "リネームするファイルがあるフォルダを選んでください";
        b.Options << bifStatusText;
        b.InitDir = sample + "/旅行写真/沖縄";
        b.OnSelectionChanged = [](QObject*, QWidget*, const std::string& dir,
                                  std::string& status, bool&) { status = dir; };
        shots::onModal([&](QWidget* dlg) {
            shots::save(ctx, dlg, QStringLiteral("browsefolder"));
            cancel(dlg);
        });
        b.Execute();
    }
    // As "フォルダ指定" opens it by default: the top of the hierarchy.
    {
        TnxBrowseFolder b(&form);
        b.InitDir = "\\";
        shots::onModal([&](QWidget* dlg) {
            shots::save(ctx, dlg, QStringLiteral("browsefolder-top"));
            cancel(dlg);
        });
        b.Execute();
    }
    // The resizable chooser with its new-folder button, rooted at the sample.
    {
        TnxBrowseFolder b(&form);
        b.RootDir = sample;
        b.RootSpecialDir = sfNone;
        b.InitDir = sample + "/サブフォルダ";
        b.Options << bifNewDialogStyle;
        b.Caption = "フォルダの参照先";
        shots::onModal([&](QWidget* dlg) {
            shots::save(ctx, dlg, QStringLiteral("browsefolder-newstyle"));
            cancel(dlg);
        });
        b.Execute();
    }
    // The options dialog as "設定(&C)" opens it, on a specified folder.
    {
        auto& v = settings::values();
        v.RootDirSel = 2;
        v.RootDir = sample + "/書類";
        v.LastDir = sample + "/旅行写真/沖縄";
        v.WinMem = true;
        shots::onModal([&](QWidget* dlg) {
            shots::save(ctx, dlg, QStringLiteral("pagesdlg"));
            cancel(dlg);
            if (auto* d = qobject_cast<QDialog*>(dlg))
                d->reject();
        });
        form.OptionCunfigMenuClick();
        settings::resetValues();
    }
    form.hide();
});

}  // namespace
