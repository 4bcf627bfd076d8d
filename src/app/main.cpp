#include "app/application.h"
#include "app/mainform.h"
#include "platform/error.h"
#include "settings/values.h"
#include "widgets/text.h"

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
    } catch (const platform::ToolkitError& e) {
        app.showException(widgets::fromBytes(e.what()));
    } catch (...) {
        app.showException(QString());
    }
    return 0;
}
