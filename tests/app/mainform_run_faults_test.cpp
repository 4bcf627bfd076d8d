// The rename button with the disk failing at each call of the run in turn,
// as a user sees it: the window never crashes, the summary box always has
// the program's wording and its counts add up, the status line at the
// summary is one of the program's status texts about one of the run's
// names, and afterwards either the prompt is back and the list shows the
// folder, or (when reading the folder again failed) the general error
// report was shown and the prompt stays away. No original content is lost.
#include "mainform_fixture.h"

#include "app/mainform.h"
#include "platform/exepath.h"
#include "platform/syscalls.h"
#include "rename/ui/filelistbox.h"
#include "rename/ui/memo.h"
#include "settings/values.h"
#include "support/modal.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>
#include <memory>
#include <set>

using namespace testing_support;

namespace {

struct WindowConfig {
    bool append;
    bool deleteOld;
};

void PrintTo(const WindowConfig& c, std::ostream* os)
{
    *os << (c.append ? "append" : "replace") << (c.deleteOld ? ", delete" : ", keep");
}

class RunFaultsWindow : public ::testing::TestWithParam<WindowConfig> {};

TEST_P(RunFaultsWindow, EveryCallFailingInTurn)
{
    const WindowConfig cfg = GetParam();
    const std::vector<std::string> files = {"a.txt", "b.txt", "c", "d.jpg", "e.jpg", "f.txt"};
    // valid, blank, forbidden, valid, duplicate of the line before, missing
    const char* memo = "x\n \nq?\ny\ny";
    // The counts, and where the journal failed, the line that says so.
    const QString unrecorded = QString::fromUtf8("(\\n\\d+ 番から後は記録できませんでした（元に戻せません）)?$");
    const QRegularExpression summaryForm(
        (cfg.deleteOld ? QString::fromUtf8("^成功：(\\d+)件　失敗：(\\d+)件　無視：(\\d+)件　削除失敗：(\\d+)件")
                       : QString::fromUtf8("^成功：(\\d+)件　失敗：(\\d+)件　無視：(\\d+)件　")) +
        unrecorded);
    const QRegularExpression statusForm(QString::fromUtf8(
        "^ファイル「(.+)」(を作成しました|の作成に失敗しました|を削除しました|の削除に失敗しました)$"));
    std::set<QString> names;  // every old and new name of the run
    for (const char* n : {"a.txt", "b.txt", "c", "d.jpg", "e.jpg", "f.txt", "x.txt", "y.jpg",
                          "ax.txt", "dy.jpg", "ey.jpg"})
        names.insert(QString::fromUtf8(n));

    long runs = 0, faults = 0, reports = 0;
    for (long k = 1;; ++k) {
        SCOPED_TRACE("k=" + std::to_string(k));
        settings::resetValues();
        ScratchDir home, work;
        platform::setExecutablePath(home / "meibo");
        CwdGuard cwd(work.path());
        std::map<std::string, std::string> before;
        for (const auto& f : files) {
            writeFile(work / f, "content of " + f);
            before[f] = "content of " + f;
        }
        auto form = std::make_unique<TMainForm>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->Memo2->setPlainText(QString::fromUtf8(memo));
        if (cfg.append)
            QTest::mouseClick(form->findChild<QAbstractButton*>("RadioGroupNameItem1"),
                              Qt::LeftButton);
        if (cfg.deleteOld)
            QTest::mouseClick(form->findChild<QAbstractButton*>("CheckBoxOldDel"),
                              Qt::LeftButton);

        FaultSys fs;
        fs.failNth(k, EIO);
        std::vector<SeenBox> boxes;
        {
            BoxAnswerer answer("OK", [&] { return statusLine(*form); });
            platform::ScopedSys use(fs);
            QTest::mouseClick(form->findChild<QAbstractButton*>("ButtonRename"),
                              Qt::LeftButton);
            settleUndo(*form);
            boxes = answer.seen();
        }
        ++runs;
        faults += fs.faults();

        ASSERT_GE(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, QString::fromUtf8("rename結果"));
        const auto m = summaryForm.match(boxes[0].text);
        ASSERT_TRUE(m.hasMatch()) << boxes[0].text.toStdString();
        int sum = 0;
        for (int i = 1; i <= (cfg.deleteOld ? 4 : 3); ++i)
            sum += m.captured(i).toInt();
        EXPECT_EQ(sum, static_cast<int>(files.size()));
        // The status at the summary is the last report of the run.
        const auto s = statusForm.match(boxes[0].statusAtOpen);
        ASSERT_TRUE(s.hasMatch()) << boxes[0].statusAtOpen.toStdString();
        EXPECT_TRUE(names.count(s.captured(1))) << s.captured(1).toStdString();
        ++reports;
        if (boxes.size() == 1) {
            EXPECT_EQ(statusLine(*form), kPrompt);
        } else {
            // Reading the folder again failed: the error report, and the
            // status line keeps the run's last report.
            ASSERT_EQ(boxes.size(), 2u);
            EXPECT_NE(boxes[1].caption, QString::fromUtf8("rename結果"));
            EXPECT_EQ(statusLine(*form), boxes[0].statusAtOpen);
        }
        // Nothing lost: each content is still somewhere in the folder.
        const auto after = snapshot(work.path());
        std::set<std::string> contents;
        for (const auto& [n, c] : after)
            contents.insert(c);
        for (const auto& [n, c] : before)
            EXPECT_TRUE(contents.count(c)) << "lost: " << n;
        EXPECT_LE(after.size(), 2 * files.size());

        form.reset();
        platform::setExecutablePath("");
        if (HasFailure() || fs.faults() == 0)
            break;
    }
    std::printf("[ figures  ] window run: %ld runs, %ld faults injected\n", runs, faults);
    EXPECT_GT(runs, 10);
}

INSTANTIATE_TEST_SUITE_P(BothRulesBothBoxStates, RunFaultsWindow,
                         ::testing::Values(WindowConfig{false, false}, WindowConfig{false, true},
                                           WindowConfig{true, false}, WindowConfig{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.append ? "Append" : "Replace") +
                                    (info.param.deleteOld ? "Delete" : "Keep");
                         });

}  // namespace
