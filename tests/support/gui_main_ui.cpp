// Test main for the window tests: one application object for the program,
// on the offscreen platform unless another one is asked for.
#include "app/application.h"
#include "platform/exepath.h"
#include "settings/values.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    settings::resetValues();
    TApplication app(argc, argv);
    // Windows closed by the tests save their settings in a scratch folder,
    // never beside the test program.
    QTemporaryDir home;
    platform::setExecutablePath(QFile::encodeName(home.filePath(QStringLiteral("meibo")))
                                    .toStdString());
    // And the journals of their runs go there too, unless a test says where.
    if (qEnvironmentVariableIsEmpty("XDG_STATE_HOME"))
        qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    return RUN_ALL_TESTS();
}
