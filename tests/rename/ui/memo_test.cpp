// The new-names list reads exactly the lines the user sees, and gives back
// the bytes of the names it was given.
#include "rename/ui/memo.h"
#include "support/memo_ui.h"
#include "widgets/text.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using renaming::TMemo;
using testing_support::MemoTest;

QString u(const char* s) { return QString::fromUtf8(s); }

// What the user sees: one row per line of the editor, with no break inside
// a line of its text.
QStringList visibleRows(TMemo& m)
{
    QStringList rows;
    for (int i = 0; i < m.lineCount(); ++i) {
        const QString row = m.line(i);
        for (const QChar c : row)
            EXPECT_TRUE(c != QChar::LineSeparator && c != QChar::ParagraphSeparator && c != u'\r')
                << row.toStdString();
        rows << row;
    }
    if (!rows.isEmpty() && rows.back().isEmpty())
        rows.removeLast();
    return rows;
}

std::vector<std::string> lines(TMemo& m)
{
    std::vector<std::string> out;
    for (int i = 0; i < m.Lines.Count(); ++i)
        out.push_back(m.Lines[i]);
    return out;
}

TEST_F(MemoTest, EnterWithAnyModifierStartsAPlainLine)
{
    for (Qt::KeyboardModifiers mod :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier),
          Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)}) {
        memo.clear();
        QTest::keyClicks(&memo, "n1");
        QTest::keyClick(&memo, Qt::Key_Return, mod);
        QTest::keyClicks(&memo, "n2");
        QTest::keyClick(&memo, Qt::Key_Enter, mod);
        QTest::keyClicks(&memo, "n3");
        const QStringList rows = visibleRows(memo);
        ASSERT_EQ(memo.Lines.Count(), rows.size()) << int(mod);
        for (int i = 0; i < rows.size(); ++i)
            EXPECT_EQ(widgets::fromBytes(memo.Lines[i]), rows[i]) << int(mod);
    }
}

TEST_F(MemoTest, ShiftEnterPairsLaterLinesWithTheRowsBesideThem)
{
    QTest::keyClicks(&memo, "n1");
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&memo, "n2");
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "n3");
    EXPECT_EQ(lines(memo), (std::vector<std::string>{"n1", "n2", "n3"}));
}

TEST_F(MemoTest, SeparatorsPastedOrSetByAProgramBecomeLineBreaks)
{
    const QString ls(QChar::LineSeparator), ps(QChar::ParagraphSeparator);
    const QString text = u("a") + ls + u("b") + ps + u("c\r\nd") + ls + ls + u("e");
    const std::vector<std::string> want{"a", "b", "c", "d", "", "e"};

    QApplication::clipboard()->setText(text);
    memo.paste();
    EXPECT_EQ(lines(memo), want);
    visibleRows(memo);

    memo.setPlainText(text);
    EXPECT_EQ(lines(memo), want);
    visibleRows(memo);

    memo.clear();
    memo.insertPlainText(text);
    EXPECT_EQ(lines(memo), want);

    memo.clear();
    memo.Lines.Add(widgets::toBytes(u("x") + ls + u("y")));
    EXPECT_EQ(lines(memo), (std::vector<std::string>{"x", "y"}));
}

TEST_F(MemoTest, NamesThatAreNoValidTextComeBackAsTheSameBytes)
{
    const std::vector<std::string> names{"caf\xE9", "\xFF\xFE", "ok", "\xEF\x9F\xA9", "a\x80z"};
    memo.Lines.Assign(names);
    EXPECT_EQ(lines(memo), names);
    memo.clear();
    for (const auto& n : names)
        memo.Lines.Add(n);
    EXPECT_EQ(lines(memo), names);
}

// The first lines in one go are the lines one by one: cut at 4,096 bytes
// as those are, and no more than the memo has.
TEST_F(MemoTest, TheFirstLinesAreTheLinesOneByOne)
{
    memo.Lines.Assign({"a", std::string(5000, 'x'), "", "\xFF name"});
    EXPECT_EQ(memo.Lines.First(2), (std::vector<std::string>{"a", std::string(4096, 'x')}));
    EXPECT_EQ(memo.Lines.First(99), lines(memo));
    EXPECT_EQ(memo.Lines.First(99).size(), 4u);
    EXPECT_TRUE(memo.Lines.First(0).empty());
}

}  // namespace
