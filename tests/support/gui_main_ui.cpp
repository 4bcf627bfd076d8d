// Test main for the window tests: one application object for the program,
// on the offscreen platform unless another one is asked for.
#include "app/application.h"
#include "settings/values.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    settings::resetValues();
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
