// Starts the program's main window, shows it, closes it the way the close box
// does and ends, as the program's own main() does. Built only in the
// sanitizer build, where LeakSanitizer checks at exit that nothing the
// program allocated was lost on the way.
#include "app/application.h"
#include "app/mainform.h"
#include "settings/values.h"

#include <QTimer>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setlocale(LC_ALL, "");
    settings::resetValues();
    TApplication app(argc, argv);
    bool closed = false;
    {
        TMainForm form;
        form.show();
        // Close as the user would once the window is up; the close runs the
        // settings save. Quit anyway after a while so that this never hangs.
        QTimer::singleShot(200, &form, [&] { closed = form.close(); });
        QTimer::singleShot(10000, &app, &QCoreApplication::quit);
        app.exec();
    }
    if (!closed) {
        std::fprintf(stderr, "the main window did not close\n");
        return 1;
    }
    return 0;
}
