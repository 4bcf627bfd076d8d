// The file list window, as an open window (icons, folder line, both tool
// buttons) and as a save window.
#include "filedialog/ui/listform.h"
#include "filedialog/ui/opendialog.h"
#include "tools/screenshots.h"
#include "widgets/text.h"

#include <QIcon>
#include <QStringList>
#include <QWidget>

namespace {

const bool registered = shots::add("filedialog", [](const shots::Context& ctx) {
    // The offscreen platform has no desktop icon theme: render with the one
    // a desktop here would use, so that the icons are those a user sees.
    struct RestoreTheme {
        QString name = QIcon::themeName();
        QStringList paths = QIcon::themeSearchPaths();
        ~RestoreTheme()
        {
            QIcon::setThemeSearchPaths(paths);
            QIcon::setThemeName(name);
        }
    } restoreTheme;
    if (!QIcon::hasThemeIcon(QStringLiteral("text-x-generic"))) {
        QIcon::setThemeSearchPaths(restoreTheme.paths + QStringList{QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }
    QWidget host;
    const std::string folder = widgets::toBytes(ctx.sample.path());

    TnxOpenDialog open(&host);
    open.Directory = folder;
    open.FileExt = "*";
    open.DisplayIcon = true;
    open.DisplayDirectory = true;
    open.Options = {doFindBtn, doFolderBtn};
    open.FormLeft = 100;
    open.FormTop = 80;
    open.FormWidth = 423;
    open.FormHeight = 416;
    shots::onModal([&ctx](QWidget* w) {
        shots::save(ctx, w, QStringLiteral("filedialog-open"));
        static_cast<TListForm*>(w)->done(TListForm::kResultCancel);
    });
    open.Execute();

    TnxSaveDialog save(&host);
    save.Directory = folder;
    save.FileExt = "jpg";
    save.SetFileName("IMG_0005.jpg");
    save.FormLeft = 100;
    save.FormTop = 80;
    save.FormWidth = 423;
    save.FormHeight = 416;
    shots::onModal([&ctx](QWidget* w) {
        shots::save(ctx, w, QStringLiteral("filedialog-save"));
        static_cast<TListForm*>(w)->done(TListForm::kResultCancel);
    });
    save.Execute();
});

}  // namespace
