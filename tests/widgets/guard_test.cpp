// The guard at every handler's connection: the general error report for what
// a handler throws, and the held exception of a component's window.
#include "platform/error.h"
#include "support/modal.h"
#include "widgets/guard.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

using testing_support::BoxAnswerer;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(ReportText, AppendsAFullStopAfterACharacterAboveIt)
{
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"ファイルが見つかりません", "ファイルが見つかりません."},
        {"ends.", "ends."},
        {"I/O エラー (5)", "I/O エラー (5)"},
        {"ends-", "ends-"},
        {"ends!", "ends!"},
        {"ends/", "ends/."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(widgets::reportText(u(c.message)), u(c.shown)) << c.message;
}

// What a handler throws and what the report then says.
TEST(Guarded, ShowsTheGeneralErrorReportAndReturnsFalse)
{
    const struct {
        const char* what;
        std::function<void()> handler;
        const char* text;  // null: no report
    } cases[] = {
        {"toolkit error", [] { throw platform::ToolkitError("ファイルが見つかりません"); },
         "ファイルが見つかりません."},
        {"its subclass", [] { throw platform::InOutError(5, "I/O エラー (5)"); }, "I/O エラー (5)"},
        {"another exception", [] { throw std::runtime_error("not shown"); }, ""},
        {"not an exception class", [] { throw 42; }, ""},
        {"nothing", [] {}, nullptr},
    };
    for (const auto& c : cases) {
        BoxAnswerer answer;
        const bool ran = widgets::guarded(c.handler);
        EXPECT_EQ(ran, c.text == nullptr) << c.what;
        if (!c.text) {
            EXPECT_TRUE(answer.seen().empty()) << c.what;
            continue;
        }
        ASSERT_EQ(answer.seen().size(), 1u) << c.what;
        EXPECT_EQ(answer.seen()[0].text, u(c.text)) << c.what;
        EXPECT_EQ(answer.seen()[0].caption, QCoreApplication::applicationName()) << c.what;
        EXPECT_EQ(answer.seen()[0].icon, int(QMessageBox::Critical)) << c.what;
    }
}

TEST(Guard, AFailingSlotEndsAtItsConnection)
{
    QPushButton button;
    button.show();
    std::vector<QString> ran;
    QObject::connect(&button, &QPushButton::clicked, &button, widgets::guard([&] {
                         ran.push_back(QStringLiteral("first"));
                         throw platform::ToolkitError("first failed");
                     }));
    QObject::connect(&button, &QPushButton::clicked, &button,
                     widgets::guard([&] { ran.push_back(QStringLiteral("second")); }));
    BoxAnswerer answer;
    QTest::mouseClick(&button, Qt::LeftButton);
    // The click went on to the next slot: nothing unwound through the signal.
    EXPECT_EQ(ran, (std::vector<QString>{"first", "second"}));
    EXPECT_EQ(answer.texts(), QStringList{"first failed."});
    EXPECT_TRUE(button.isVisible());
}

TEST(Guard, PassesTheSignalsArgumentsTheHandlerTakes)
{
    QLineEdit edit;
    QString seen;
    int plain = 0;
    QObject::connect(&edit, &QLineEdit::textChanged, &edit,
                     widgets::guard([&](const QString& text) { seen = text; }));
    QObject::connect(&edit, &QLineEdit::textChanged, &edit, widgets::guard([&] { ++plain; }));
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(seen, QStringLiteral("abc"));
    EXPECT_EQ(plain, 1);
}

TEST(HandlerFault, KeepsTheFirstExceptionUntilItIsThrownAgain)
{
    widgets::HandlerFault fault;
    int runs = 0;
    EXPECT_TRUE(fault.run([&] { ++runs; }));
    EXPECT_FALSE(fault.failed());
    EXPECT_NO_THROW(fault.rethrow());

    EXPECT_FALSE(fault.run([&] {
        ++runs;
        throw std::out_of_range("first");
    }));
    EXPECT_TRUE(fault.failed());
    // Once a handler has failed, no other runs: the window is ending.
    EXPECT_FALSE(fault.run([&] {
        ++runs;
        throw std::runtime_error("second");
    }));
    EXPECT_EQ(runs, 2);
    try {
        fault.rethrow();
        ADD_FAILURE() << "nothing was thrown";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "first");
    }
    EXPECT_FALSE(fault.failed());
    EXPECT_TRUE(fault.run([&] { ++runs; }));
}

// A dialog whose handler fails while it is being shown, before its loop.
class FailsOnShow : public QDialog {
protected:
    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        widgets::endModal(this, 7);
    }
};

TEST(EndModal, EndsTheLoopAlsoWhenAskedBeforeItRuns)
{
    FailsOnShow early;
    EXPECT_EQ(early.exec(), 7);
    EXPECT_FALSE(early.isVisible());

    QDialog running;
    QTimer::singleShot(0, &running, [&] { widgets::endModal(&running, 3); });
    EXPECT_EQ(running.exec(), 3);
    EXPECT_FALSE(running.isVisible());
}

}  // namespace
