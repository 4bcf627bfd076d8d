// Editing the memo from the keyboard, the mouse and an input method: each
// row starts from a text with its caret marked and ends at another.
#include "rename/ui/rows.h"
#include "support/memo_ui.h"

#include <QInputMethodEvent>
#include <QLibraryInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTranslator>
#include <QTextCharFormat>

namespace {

using namespace testing_support;
using renaming::TMemo;

struct KeyRow {
    const char* name;
    const char* before;
    std::vector<Press> presses;
    const char* after;
};

void PrintTo(const KeyRow& row, std::ostream* os) { *os << row.name; }

class MemoKeys : public MemoTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(MemoKeys, LeaveTheTextAndCaret)
{
    setMarked(memo, u8(GetParam().before));
    pressAll(&memo, GetParam().presses);
    EXPECT_EQ(marked(memo), u8(GetParam().after));
}

const Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

INSTANTIATE_TEST_SUITE_P(
    Rows, MemoKeys,
    ::testing::Values(
        KeyRow{"TypingGoesInAtTheCaret", "ab|c", {type("xy")}, "abxy|c"},
        KeyRow{"TypingReplacesTheSelection", "a<bc|d", {type("Z")}, "aZ|d"},
        KeyRow{"JapaneseIsTypedAsIs", "|", {type("写真_01")}, "写真_01|"},
        KeyRow{"BackspaceTakesTheCharacterBefore", "ab|c", {key(Qt::Key_Backspace)}, "a|c"},
        KeyRow{"BackspaceJoinsALineToTheOneAbove", "a\n|b", {key(Qt::Key_Backspace)}, "a|b"},
        KeyRow{"BackspaceTakesAPairOfSurrogatesWhole", "a😀|", {key(Qt::Key_Backspace)}, "a|"},
        KeyRow{"BackspaceAtTheStartDoesNothing", "|ab", {key(Qt::Key_Backspace)}, "|ab"},
        KeyRow{"DeleteTakesTheCharacterAfter", "a|bc", {key(Qt::Key_Delete)}, "a|c"},
        KeyRow{"DeleteJoinsTheNextLine", "a|\nb", {key(Qt::Key_Delete)}, "a|b"},
        KeyRow{"DeleteTakesTheSelection", "<ab|c", {key(Qt::Key_Delete)}, "|c"},
        KeyRow{"EnterBreaksTheLine", "ab|cd", {key(Qt::Key_Return)}, "ab\n|cd"},
        KeyRow{"EnterReplacesTheSelection", "a<b\nc|d", {key(Qt::Key_Enter)}, "a\n|d"},
        KeyRow{"TabIsNotTyped", "a|", {key(Qt::Key_Tab)}, "a|"},
        KeyRow{"ArrowsMoveByACharacter", "a|bc", {key(Qt::Key_Right), key(Qt::Key_Right), key(Qt::Key_Left)},
               "ab|c"},
        KeyRow{"RightGoesOverALineBreak", "a|\nb", {key(Qt::Key_Right)}, "a\n|b"},
        KeyRow{"LeftEndsASelectionAtItsStart", "a<bc|d", {key(Qt::Key_Left)}, "a|bcd"},
        KeyRow{"HomeAndEndStayInTheLine", "x\nab|c\ny", {key(Qt::Key_Home)}, "x\n|abc\ny"},
        KeyRow{"EndGoesToTheLineEnd", "x\na|bc\ny", {key(Qt::Key_End)}, "x\nabc|\ny"},
        KeyRow{"DownKeepsTheColumnOverAShortLine", "aa|a\nb\naaa", {key(Qt::Key_Down), key(Qt::Key_Down)},
               "aaa\nb\naa|a"},
        KeyRow{"UpGoesToTheLineAbove", "aaa\na|a", {key(Qt::Key_Up)}, "a|aa\naa"},
        KeyRow{"CtrlEndAndCtrlHome", "a\nb|\nc", {ctrl(Qt::Key_End)}, "a\nb\nc|"},
        KeyRow{"CtrlHomeGoesToTheStart", "a\nb|\nc", {ctrl(Qt::Key_Home)}, "|a\nb\nc"},
        KeyRow{"PageDownGoesToTheLastLineInView", "|a\nb\nc", {key(Qt::Key_PageDown)}, "a\nb\n|c"},
        KeyRow{"ShiftRightSelects", "|abc", {shift(Qt::Key_Right), shift(Qt::Key_Right)}, "<ab|c"},
        KeyRow{"ShiftDownSelectsIntoTheNextLine", "a|b\ncd", {shift(Qt::Key_Down)}, "a<b\nc|d"},
        KeyRow{"ShiftHomeSelectsBackToTheLineStart", "x\nab|c", {shift(Qt::Key_Home)}, "x\n|ab<c"},
        KeyRow{"CtrlShiftEndSelectsToTheEnd", "a|b\nc", {key(Qt::Key_End, kCtrlShift)}, "a<b\nc|"},
        KeyRow{"CtrlASelectsAll", "a|b\nc", {ctrl(Qt::Key_A)}, "<ab\nc|"},
        KeyRow{"CtrlRightGoesToTheNextWord", "|one two", {ctrl(Qt::Key_Right)}, "one |two"},
        KeyRow{"CtrlBackspaceTakesAWord", "one two|", {ctrl(Qt::Key_Backspace)}, "one |"},
        KeyRow{"CutAndPasteMoveText", "<ab|c", {ctrl(Qt::Key_X), key(Qt::Key_End), ctrl(Qt::Key_V)}, "cab|"},
        KeyRow{"CopyAndPasteRepeatText", "<ab|c", {ctrl(Qt::Key_C), key(Qt::Key_End), ctrl(Qt::Key_V)},
               "abcab|"},
        KeyRow{"UndoTakesBackTypingWhole", "x|", {type("abc"), ctrl(Qt::Key_Z)}, "x|"},
        KeyRow{"UndoTakesBackALineBreakApartFromTheTyping", "|",
               {type("ab"), key(Qt::Key_Return), type("cd"), ctrl(Qt::Key_Z), ctrl(Qt::Key_Z)}, "ab|"},
        KeyRow{"UndoBringsBackADeletedSelection", "<ab|c", {key(Qt::Key_Delete), ctrl(Qt::Key_Z)}, "<ab|c"},
        KeyRow{"CtrlYRedoes", "|", {type("abc"), ctrl(Qt::Key_Z), ctrl(Qt::Key_Y)}, "abc|"},
        KeyRow{"CtrlShiftZRedoes", "|", {type("abc"), ctrl(Qt::Key_Z), key(Qt::Key_Z, kCtrlShift)}, "abc|"},
        KeyRow{"TypingAfterAnUndoLeavesNothingToRedo", "|",
               {type("ab"), ctrl(Qt::Key_Z), type("c"), ctrl(Qt::Key_Y)}, "c|"}),
    [](const ::testing::TestParamInfo<KeyRow>& info) { return std::string(info.param.name); });

// Where a row of the memo is on the screen, a little way into its text.
QPoint rowAt(int line, int x = 4) { return {x, line * renaming::kRowHeight + renaming::kRowHeight / 2}; }

TEST_F(MemoTest, AClickPutsTheCaretOnTheLineUnderIt)
{
    setMarked(memo, u8("one\ntwo\nthree|"));
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, rowAt(1, 200));
    EXPECT_EQ(marked(memo), u8("one\ntwo|\nthree"));
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, rowAt(9));
    EXPECT_EQ(memo.caretLine(), 2);
}

TEST_F(MemoTest, ADragSelectsFromWhereTheButtonWentDown)
{
    setMarked(memo, u8("one\ntwo\nthree|"));
    QTest::mousePress(memo.viewport(), Qt::LeftButton, {}, rowAt(0, 1));
    QTest::mouseMove(memo.viewport(), rowAt(1, 200));
    QTest::mouseRelease(memo.viewport(), Qt::LeftButton, {}, rowAt(1, 200));
    EXPECT_EQ(marked(memo), u8("<one\ntwo|\nthree"));
}

TEST_F(MemoTest, ADoubleClickSelectsAWord)
{
    setMarked(memo, u8("|alpha beta"));
    const int x = static_cast<int>(memo.cursorRect(8).x());
    QTest::mouseDClick(memo.viewport(), Qt::LeftButton, {}, QPoint(x, rowAt(0).y()));
    EXPECT_EQ(memo.selectedText(), u8("beta"));
}

// The right-click menu is the toolkit's editor menu, word for word in the
// toolkit's translation, and its items are on when they can act.
TEST_F(MemoTest, TheMenuIsTheToolkitsInItsOwnWords)
{
    QTranslator japanese;
    ASSERT_TRUE(japanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&japanese);
    QPlainTextEdit toolkits;
    auto items = [](QMenu* menu) {
        QStringList texts;
        for (const QAction* a : menu->actions())
            texts << a->text() + (a->isEnabled() ? u8(" on") : u8(" off"));
        delete menu;
        return texts;
    };
    for (const char* text : {"", "a<b|c"}) {
        setMarked(memo, u8(text));
        toolkits.setPlainText(memo.toPlainText());
        QTextCursor c = toolkits.textCursor();
        c.setPosition(static_cast<int>(memo.anchor()));
        c.setPosition(static_cast<int>(memo.position()), QTextCursor::KeepAnchor);
        toolkits.setTextCursor(c);
        const QStringList ours = items(memo.createStandardContextMenu());
        EXPECT_EQ(ours, items(toolkits.createStandardContextMenu())) << text;
        ASSERT_FALSE(ours.isEmpty());
        EXPECT_FALSE(ours[0].startsWith(u8("&Undo")));  // translated indeed
    }
    QCoreApplication::removeTranslator(&japanese);
}

// An input method's composition is drawn at the caret but is no part of the
// text until committed; the commit is one edit.
TEST_F(MemoTest, AComposedNameEntersOnlyWhenCommitted)
{
    setMarked(memo, u8("IMG_<0001|\n"));
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QInputMethodEvent compose(u8("りょこう"), {{QInputMethodEvent::TextFormat, 0, 4, underline}});
    QApplication::sendEvent(&memo, &compose);
    EXPECT_EQ(memo.preeditText(), u8("りょこう"));
    EXPECT_EQ(memo.toPlainText(), u8("IMG_\n"));
    EXPECT_EQ(memo.inputMethodQuery(Qt::ImSurroundingText).toString(), u8("IMG_"));

    QInputMethodEvent commit;
    commit.setCommitString(u8("旅行"));
    QApplication::sendEvent(&memo, &commit);
    EXPECT_TRUE(memo.preeditText().isEmpty());
    EXPECT_EQ(marked(memo), u8("IMG_旅行|\n"));
    EXPECT_EQ(memo.Lines.Count(), 1);

    // As in the toolkit's editors: the commit, then the selection the
    // composition took.
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), u8("IMG_\n"));
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), u8("IMG_0001\n"));
}

TEST_F(MemoTest, SeparatorsTypedBecomeLineBreaks)
{
    for (const char16_t separator : {u'\x2028', u'\x2029'}) {
        setMarked(memo, u8("a|b"));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(separator)));
        QApplication::sendEvent(&memo, &press);
        EXPECT_EQ(marked(memo), u8("a\n|b")) << int(separator);
    }
}

// What the line tools and the name copy put in is one edit, whatever its
// size: one undo brings back the lines as they were.
TEST_F(MemoTest, AnEditOfManyChangesIsUndoneWhole)
{
    setMarked(memo, u8("a\nb\nc|"));
    {
        TMemo::Edit edit(memo);
        edit.replaceLine(0, u"A");
        edit.replaceLine(2, u"C");
        edit.append(u"\nd");
    }
    EXPECT_EQ(memo.toPlainText(), u8("A\nb\nC\nd"));
    memo.Lines.Assign({"x", "y"});
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), u8("A\nb\nC\nd"));
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), u8("a\nb\nc"));
    EXPECT_FALSE(memo.isUndoAvailable());
    memo.redo();
    EXPECT_EQ(memo.toPlainText(), u8("A\nb\nC\nd"));
}

}  // namespace

namespace {

// A pasted text with no breaks makes one line far too long to lay out whole:
// the caret still reaches its end, shows there and edits there.
TEST_F(MemoTest, AVeryLongLineIsEditedAtItsEnd)
{
    const QString longLine(200000, u'a');
    memo.setPlainText(longLine + u8("\nb"));
    QTest::keyClick(&memo, Qt::Key_End);
    EXPECT_EQ(memo.position(), longLine.size());
    EXPECT_TRUE(memo.viewport()->rect().contains(memo.cursorRect().center()));
    pressAll(&memo, {type("z"), shift(Qt::Key_Home)});
    // Compared whole, not printed: a failure would print 200,000 characters.
    EXPECT_TRUE(memo.selectedText() == longLine + u8("z"));
    pressAll(&memo, {key(Qt::Key_Down), key(Qt::Key_Up), key(Qt::Key_End), key(Qt::Key_Backspace)});
    EXPECT_TRUE(memo.line(0) == longLine);
    EXPECT_EQ(memo.line(1), u8("b"));
}

}  // namespace
