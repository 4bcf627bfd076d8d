// Entry i of the list beside line i of the memo: level after the user
// scrolls either of them in any way, at the window's own scale (this program
// runs at 96 and at 192 dots per inch), and long names cut short with a tool
// tip.
#include "mainform_fixture.h"

#include "rename/ui/memo.h"

#include <QApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

using namespace testing_support;

namespace {

struct ScrollCase {
    const char* name;
    std::function<void(TMainForm&)> scroll;
};

void PrintTo(const ScrollCase& c, std::ostream* os) { *os << c.name; }

void wheel(QWidget* viewport, int notches)
{
    const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
    QWheelEvent e(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &e);
}

void keys(QWidget* w, Qt::Key key, int times)
{
    w->setFocus();
    for (int i = 0; i < times; ++i)
        QTest::keyClick(w, key);
}

// The screen heights of row `i` of the list and line `i` of the memo.
int rowTop(TMainForm& f, int i)
{
    const QRect r = f.FileListBox->visualRect(f.FileListBox->model()->index(i, 0));
    return f.FileListBox->viewport()->mapToGlobal(r.topLeft()).y();
}
int lineTop(TMainForm& f, int i)
{
    const QRect r = f.Memo2->cursorRect(f.Memo2->lineStart(i));
    return f.Memo2->viewport()->mapToGlobal(r.topLeft()).y();
}

class RowsLevel : public WindowTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(RowsLevel, AfterEitherPaneIsScrolled)
{
    std::vector<std::string> files;
    for (int i = 0; i < 300; ++i)
        files.push_back("file" + std::to_string(1000 + i) + ".txt");
    auto form = window(files);
    click(*form, "ButtonCopy");
    QApplication::processEvents();
    GetParam().scroll(*form);
    QApplication::processEvents();

    const int top = form->FileListBox->verticalScrollBar()->value();
    EXPECT_GT(top, 0) << "nothing was scrolled";
    EXPECT_EQ(form->Memo2->verticalScrollBar()->value(), top);
    const int shown = form->Memo2->viewport()->height() / 16;
    ASSERT_GT(shown, 10);
    for (int i = top; i < std::min(top + shown, form->FileListBox->Count() - 1); ++i) {
        ASSERT_EQ(lineTop(*form, i), rowTop(*form, i)) << "row " << i;
        ASSERT_EQ(rowTop(*form, i + 1) - rowTop(*form, i), 16) << "row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    MainForm, RowsLevel,
    ::testing::Values(
        ScrollCase{"ListWheel", [](TMainForm& f) { wheel(f.FileListBox->viewport(), 5); }},
        ScrollCase{"ListBar", [](TMainForm& f) {
                       f.FileListBox->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
                   }},
        ScrollCase{"ListKeys", [](TMainForm& f) { keys(f.FileListBox, Qt::Key_PageDown, 3); }},
        ScrollCase{"MemoWheel", [](TMainForm& f) { wheel(f.Memo2->viewport(), 7); }},
        ScrollCase{"MemoBar", [](TMainForm& f) {
                       f.Memo2->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
                   }},
        ScrollCase{"MemoKeys", [](TMainForm& f) { keys(f.Memo2, Qt::Key_Down, 70); }},
        ScrollCase{"MemoToTheEnd", [](TMainForm& f) {
                       f.Memo2->setFocus();
                       QTest::keyClick(f.Memo2, Qt::Key_End, Qt::ControlModifier);
                   }}));

TEST_F(WindowTest, LongNamesEndInAnEllipsisWithTheWholeNameAsATip)
{
    const std::string longName = std::string(120, 'x') + ".txt";
    auto form = window({longName, "a.txt"});
    auto tipAt = [&](int row) {
        const QRect r = form->FileListBox->visualRect(form->FileListBox->model()->index(row, 0));
        QWidget* vp = form->FileListBox->viewport();
        QHelpEvent e(QEvent::ToolTip, r.center(), vp->mapToGlobal(r.center()));
        QApplication::sendEvent(vp, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_TRUE(tipAt(0).isEmpty());
    EXPECT_EQ(tipAt(1), QString::fromStdString(longName));
}

}  // namespace
