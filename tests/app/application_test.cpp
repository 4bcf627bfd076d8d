// The application object: its title, and the last-resort catch of the
// general error report for an error that no handler's guard caught.
#include "app/application.h"
#include "platform/error.h"
#include "support/modal.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::BoxAnswerer;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(Application, TitleFromTheExecutableName)
{
    EXPECT_EQ(TApplication::titleFromExecutable("/usr/bin/meibo"), "meibo");
    EXPECT_EQ(TApplication::titleFromExecutable("/opt/x/MEIBO.EXE"), "Meibo");
    EXPECT_EQ(TApplication::titleFromExecutable("build/Tool.v2.bin"), "Tool");
    EXPECT_EQ(TApplication::titleFromExecutable("x"), "x");
}

// A widget's own event handler, behind no guard of ours: only the
// application's last-resort catch sees what it throws.
class Throwing : public QPushButton {
public:
    bool ours = true;

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        if (ours)
            throw platform::ToolkitError("ファイルが見つかりません");
        throw 42;
    }
};

TEST(Application, ErrorInAHandlerIsReportedAndTheProgramGoesOn)
{
    auto* app = qobject_cast<TApplication*>(QApplication::instance());
    ASSERT_NE(app, nullptr);
    Throwing button;
    button.show();
    BoxAnswerer answer;
    QTest::mouseClick(&button, Qt::LeftButton);
    button.ours = false;
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_EQ(answer.seen()[0].text, u("ファイルが見つかりません."));
    EXPECT_EQ(answer.seen()[0].caption, app->title());
    EXPECT_EQ(answer.seen()[0].icon, static_cast<int>(QMessageBox::Critical));
    EXPECT_EQ(answer.seen()[1].text, QString());
    EXPECT_TRUE(button.isVisible());
}

}  // namespace
