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
    // As "フォルダ指定" opens it by default: the top of the hierarchy, for a
    // sample user of a Japanese desktop with user folders and bookmarks.
    {
        QDir home(ctx.sample.absoluteFilePath(QStringLiteral("ホーム")));
        for (const char* p : {"デスクトップ", "ドキュメント", "ダウンロード", "ピクチャ",
                              "ミュージック", "仕事/2026年度", ".config/gtk-3.0"})
            home.mkpath(QString::fromUtf8(p));
        const std::string h = bytes(home.absolutePath());
        const auto write = [&](const char* name, const std::string& text) {
            QFile f(home.absoluteFilePath(QString::fromUtf8(name)));
            if (f.open(QIODevice::WriteOnly))
                f.write(text.data(), static_cast<qint64>(text.size()));
        };
        write(".config/user-dirs.dirs",
              "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\nXDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"\n"
              "XDG_DOWNLOAD_DIR=\"$HOME/ダウンロード\"\nXDG_PICTURES_DIR=\"$HOME/ピクチャ\"\n"
              "XDG_MUSIC_DIR=\"$HOME/ミュージック\"\n");
        write(".config/gtk-3.0/bookmarks",
              "file://" + h + "/%E4%BB%95%E4%BA%8B/2026%E5%B9%B4%E5%BA%A6 今年度の仕事\n");
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("HOME", QByteArray::fromStdString(h));
        qunsetenv("XDG_CONFIG_HOME");
        TnxBrowseFolder b(&form);
        b.InitDir = "\\";
        shots::onModal([&](QWidget* dlg) {
            shots::save(ctx, dlg, QStringLiteral("browsefolder-top"));
            cancel(dlg);
        });
        b.Execute();
        qputenv("HOME", oldHome);
        if (hadConfig)
            qputenv("XDG_CONFIG_HOME", oldConfig);
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
