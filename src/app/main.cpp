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
    // Everything but the window needs no display: the command line is
    // answered before the toolkit starts.
    const app::CommandLine cmd = app::readCommandLine(argc, argv);
    if (const auto noWindow = app::answerWithoutWindow(cmd))
        return answer(*noWindow);
    settings::resetValues();
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TSUMUGI_DESKTOP_ID));
    TApplication app(argc, argv);
    try {
        TMainForm form;
        if (form.windowState() & Qt::WindowMaximized)
            form.showMaximized();
        else
            form.show();
        // A folder named on the command line is chosen once the window has
        // opened, so that an error is reported over it.
        QTimer::singleShot(0, &form, [&form, &cmd] { app::openCommandLineFolder(form, cmd); });
        app.exec();
    } catch (...) {
        // An error that escapes the message loop is shown before the end.
        widgets::showError(std::current_exception());
    }
    return 0;
}
