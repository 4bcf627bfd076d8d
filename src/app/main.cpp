#include "app/application.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "settings/values.h"
#include "widgets/guard.h"

#include <QTimer>

#include <clocale>
#include <cstdio>
#include <exception>

namespace {

int answer(const app::NoWindow& a)
{
    std::fputs(a.out.c_str(), stdout);
    std::fputs(a.err.c_str(), stderr);
    return a.status;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    // --help and --version need no display: they are answered before the
    // toolkit starts. Any other option may be one of the toolkit's own.
    {
        const auto early = app::answerWithoutWindow(app::readCommandLine(argc, argv));
        if (early && early->status == 0)
            return answer(*early);
    }
    settings::resetValues();
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tsumugi"));
    TApplication app(argc, argv);
    // The toolkit has taken its own options out of argv by now.
    if (const auto late = app::answerWithoutWindow(app::readCommandLine(argc, argv)))
        return answer(*late);
    try {
        TMainForm form;
        if (form.windowState() & Qt::WindowMaximized)
            form.showMaximized();
        else
            form.show();
        // A folder named on the command line is chosen once the window has
        // opened, so that an error is reported over it.
        QTimer::singleShot(0, &form, [&form, argc, argv] {
            app::openCommandLineFolder(form, argc, argv);
        });
        app.exec();
    } catch (...) {
        // An error that escapes the message loop is shown before the end.
        widgets::showError(std::current_exception());
    }
    return 0;
}
