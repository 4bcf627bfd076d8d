// The preview window shows every pair of a plan with its outcome, stands out
// what is no success by icon and colour, narrows to those on request, and
// tells which line the user double-clicked. The user can make it larger,
// and each opening starts afresh.
#include "mainform_fixture.h"

#include "app/planmodel.h"
#include "app/previewform.h"
#include "rename/ui/memo.h"
#include "support/modal.h"
#include "widgets/text.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace {

using namespace renaming;

QString u(const char* s) { return QString::fromUtf8(s); }

class Folder : public FolderView {
public:
    std::map<std::string, NameState> names;
    NameState state(const std::string& n) const override
    {
        const auto it = names.find(n);
        return it == names.end() ? NameState::missing : it->second;
    }
    bool readOnly(const std::string& n) const override { return n == "ro.txt"; }
};

Plan samplePlan(bool deleteOld)
{
    Folder f;
    const std::vector<std::string> entries{"a.txt", "caf\xE9.txt", "c.txt", "d.txt", "ro.txt"};
    for (const auto& e : entries)
        f.names[e] = NameState::regular;
    const std::vector<std::string> lines{"x", "y", "x", "a?b", "z", "extra", "more"};
    return makePlan(
        entries, lines, int(lines.size()), PlanRules{NameRule::replace, platform::CodePage::utf8, deleteOld}, f);
}

QString cell(QTableView* v, int row, int col)
{
    return v->model()->index(row, col).data().toString();
}

class PreviewTest : public ::testing::Test {
protected:
    void open(bool deleteOld)
    {
        form = std::make_unique<TPreviewForm>(samplePlan(deleteOld), deleteOld);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    std::unique_ptr<TPreviewForm> form;
};

TEST_F(PreviewTest, ListsEveryPairWithItsOutcomeAndTheCounts)
{
    open(true);
    QTableView* list = form->PreviewList;
    ASSERT_EQ(list->model()->rowCount(), 5);
    EXPECT_EQ(cell(list, 0, 0), u("1"));
    EXPECT_EQ(cell(list, 0, 1), u("a.txt"));
    EXPECT_EQ(cell(list, 0, 2), u("x.txt"));
    EXPECT_EQ(cell(list, 0, 3), u("成功：作成して古いファイルを削除"));
    // A name that is no valid text shows as the list shows it, bytes kept.
    EXPECT_EQ(widgets::toBytes(cell(list, 1, 1)), "caf\xE9.txt");
    EXPECT_EQ(cell(list, 2, 3), u("失敗：1 番が先にこの名前を作ります"));
    EXPECT_EQ(cell(list, 3, 2), QString());
    EXPECT_EQ(cell(list, 3, 3), u("失敗：使えない文字があります"));
    EXPECT_EQ(cell(list, 4, 3), u("削除失敗：古いファイルは読み取り専用"));
    EXPECT_EQ(list->model()->index(2, 3).data(Qt::ToolTipRole).toString(), cell(list, 2, 3));
    EXPECT_EQ(form->PreviewCounts->text(), u("成功：2件　失敗：2件　無視：0件　削除失敗：1件"));
    EXPECT_TRUE(form->PreviewUnpaired->isVisible());
    EXPECT_EQ(form->PreviewUnpaired->text(), u("2 行の名前に対応するファイルがありません"));
}

TEST_F(PreviewTest, OutcomesOtherThanSuccessStandOutByIconAndColour)
{
    open(false);
    QAbstractItemModel* m = form->PreviewList->model();
    for (int row = 0; row < m->rowCount(); ++row) {
        const QModelIndex outcome = m->index(row, 3);
        const bool success = outcome.data().toString().startsWith(u("成功"));
        EXPECT_EQ(outcome.data(Qt::DecorationRole).isNull(), success) << row;
        EXPECT_EQ(outcome.data(Qt::ForegroundRole).isNull(), success) << row;
    }
    EXPECT_EQ(form->PreviewCounts->text(), u("成功：3件　失敗：2件　無視：0件　"));
}

TEST_F(PreviewTest, NarrowsToWhatIsNoSuccessAndBack)
{
    open(true);
    QAbstractItemModel* m = form->PreviewList->model();
    QTest::mouseClick(form->OnlyProblems, Qt::LeftButton);
    ASSERT_EQ(m->rowCount(), 3);
    EXPECT_EQ(cell(form->PreviewList, 0, 0), u("3"));
    EXPECT_EQ(cell(form->PreviewList, 2, 0), u("5"));
    QTest::mouseClick(form->OnlyProblems, Qt::LeftButton);
    EXPECT_EQ(m->rowCount(), 5);
}

TEST_F(PreviewTest, DoubleClickChoosesThePairsLineAndCloses)
{
    open(true);
    QTest::mouseClick(form->OnlyProblems, Qt::LeftButton);
    QTableView* list = form->PreviewList;
    const QRect r = list->visualRect(list->model()->index(1, 1));
    // A double click is a press and release followed by a second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(form->chosenLine(), 3);  // the fourth entry, line 3
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(PreviewTest, ClosingChoosesNothing)
{
    open(false);
    QTest::mouseClick(form->CloseButton, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->chosenLine(), -1);
}

TEST_F(PreviewTest, TheUserCanMakeItLargerAndTheListTakesTheRoom)
{
    open(true);
    const QSize first = form->size();
    const int listHeight = form->PreviewList->height();
    // Dragging the grip in the corner, as a user does.
    auto* grip = form->findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    ASSERT_TRUE(grip->isVisible());
    const QPoint from = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, from);
    QTest::mouseMove(grip, from + QPoint(240, 160));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, from + QPoint(240, 160));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return form->width() > first.width() && form->height() > first.height();
    })) << form->width() << "x" << form->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->PreviewList->height() > listHeight; }));
}

class PreviewOpenings : public testing_support::WindowTest {};

TEST_F(PreviewOpenings, EachOpeningStartsAtTheFirstSizeWithEveryPairShown)
{
    using testing_support::onModal;
    auto form = window({"a.txt", "b.txt", "c.txt"});
    form->Memo2->setPlainText(u("x\na?b\ny"));
    QSize first;
    for (int opening : {1, 2}) {
        SCOPED_TRACE(opening);
        bool seen = false;
        onModal([&](QWidget* w) {
            auto* p = qobject_cast<TPreviewForm*>(w);
            ASSERT_NE(p, nullptr);
            seen = true;
            QAbstractItemModel* m = p->PreviewList->model();
            if (opening == 1) {
                first = p->size();
            } else {
                EXPECT_EQ(p->size(), first);
            }
            EXPECT_FALSE(p->OnlyProblems->isChecked());
            EXPECT_EQ(m->rowCount(), 3);
            // What the user changes here is gone at the next opening.
            const QSize larger = p->size() + QSize(200, 120);
            p->resize(larger);
            EXPECT_TRUE(QTest::qWaitFor([&] { return p->size() == larger; }));
            QTest::mouseClick(p->OnlyProblems, Qt::LeftButton);
            EXPECT_EQ(m->rowCount(), 1);
            p->reject();
        });
        form->EditPreviewMenu->trigger();
        EXPECT_TRUE(seen);
    }
}

// A plan made on another thread that holds at the entry "hold" until let go.
class HeldPlan {
public:
    std::atomic<bool> letGo{false};
    std::vector<std::string> entries, lines;
    const PlanRules rules{NameRule::replace, platform::CodePage::utf8, true};
    HeldPlan()
    {
        for (int i = 0; i < 3000; ++i) {
            entries.push_back(i == 2000 ? "hold" : "f" + std::to_string(i) + ".txt");
            lines.push_back("n" + std::to_string(i));
        }
    }
    app::PlanModel* model()
    {
        return new app::PlanModel([this](PlanRows& plan, PlanProgress& progress) {
            class Held : public FolderView {
            public:
                explicit Held(HeldPlan& h, PlanProgress& p) : h_(h), p_(p) {}
                NameState state(const std::string& n) const override
                {
                    if (n == "hold")
                        while (!h_.letGo && !p_.stop)
                            std::this_thread::yield();
                    return n.starts_with("n") ? NameState::missing : NameState::regular;
                }
                bool readOnly(const std::string&) const override { return false; }

            private:
                HeldPlan& h_;
                PlanProgress& p_;
            };
            makePlanRows(plan, entries, [this](size_t i) { return lines[i]; }, int(lines.size()), rules,
                         Held(*this, progress), progress);
        }, {[this](int e) { return entries[size_t(e)]; },
            [this](int e, Outcome o) { return plannedNewName(entries[size_t(e)], lines[size_t(e)], o, rules); }});
    }
};

TEST(PreviewWhilePlanned, ShowsTheFirstRowsAtOnceAndTheCountsOnceWhole)
{
    HeldPlan held;
    TPreviewForm form(held.model(), true);
    form.show();
    QAbstractItemModel* m = form.PreviewList->model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->rowCount() > 0; }));
    EXPECT_EQ(cell(form.PreviewList, 0, 2), u("n0.txt"));
    EXPECT_FALSE(form.OnlyProblems->isEnabled());
    EXPECT_FALSE(form.PreviewCounts->text().contains(u("3000")));
    held.letGo = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->rowCount() == 3000; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.OnlyProblems->isEnabled(); }));
    EXPECT_EQ(form.PreviewCounts->text().toStdString(), summaryText(RunCounts{3000, 0, 0, 0, 0}, true));
}

TEST(PreviewWhilePlanned, ClosedBeforeTheEndStopsThePlan)
{
    HeldPlan held;
    auto form = std::make_unique<TPreviewForm>(held.model(), true);
    form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->PreviewList->model()->rowCount() > 0; }));
    // Never let go: closing must stop the plan's thread, or this hangs.
    form.reset();
}

}  // namespace
