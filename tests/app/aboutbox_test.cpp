// The About box's form: where its controls sit.
#include "app/aboutbox.h"
#include "support/geometry.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, ControlsStayWhereTheLayoutPutsThem)
{
    QWidget owner;
    TAboutBox box(&owner);
    box.show();
    QApplication::processEvents();
    testing_support::expectGeometry(&box, {
        {"AboutBox", "", {0, 0, 286, 129}},
        {"Panel1", "AboutBox", {8, 8, 270, 81}},
        {"ProgramIcon", "Panel1", {8, 8, 65, 57}},
        {"ProductName", "Panel1", {88, 8, 170, 18}},
        {"Version", "Panel1", {88, 30, 161, 18}},
        {"OKButton", "AboutBox", {104, 96, 75, 25}},
    }, "about box");
}

}  // namespace
