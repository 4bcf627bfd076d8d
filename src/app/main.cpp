#include "app/application.h"
#include "app/mainform.h"
#include "settings/values.h"
#include "widgets/guard.h"

#include <clocale>
#include <exception>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    settings::resetValues();
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tsumugi"));
    TApplication app(argc, argv);
    try {
        TMainForm form;
        if (form.windowState() & Qt::WindowMaximized)
            form.showMaximized();
        else
            form.show();
        app.exec();
    } catch (...) {
        // An error that escapes the message loop is shown before the end.
        widgets::showError(std::current_exception());
    }
    return 0;
}
