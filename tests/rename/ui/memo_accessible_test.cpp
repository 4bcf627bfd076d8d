// What a screen reader learns of the memo is what it learns of the toolkit's
// own editor holding the same text, and what it types goes in as an edit.
#include "support/memo_ui.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QPlainTextEdit>

namespace {

using namespace testing_support;

struct Answer {
    QString text;
    int start = -1, end = -1;
    bool operator==(const Answer&) const = default;
};

void PrintTo(const Answer& a, std::ostream* os) { *os << '"' << a.text.toStdString() << "\" " << a.start << '-' << a.end; }

enum class Where { before, at, after };

Answer ask(QAccessibleTextInterface* t, Where where, int offset, QAccessible::TextBoundaryType type)
{
    Answer a;
    a.text = where == Where::before ? t->textBeforeOffset(offset, type, &a.start, &a.end)
             : where == Where::at   ? t->textAtOffset(offset, type, &a.start, &a.end)
                                    : t->textAfterOffset(offset, type, &a.start, &a.end);
    return a;
}

TEST_F(MemoTest, AScreenReaderReadsItAsTheToolkitsEditor)
{
    const QString text = u8("IMG_0001.jpg 旅行\nphoto two\n\nlast");
    memo.setPlainText(text);
    memo.select(4, 8);
    QPlainTextEdit toolkits;
    toolkits.setPlainText(text);
    QTextCursor c = toolkits.textCursor();
    c.setPosition(4);
    c.setPosition(8, QTextCursor::KeepAnchor);
    toolkits.setTextCursor(c);

    QAccessibleInterface* ours = QAccessible::queryAccessibleInterface(&memo);
    QAccessibleInterface* theirs = QAccessible::queryAccessibleInterface(&toolkits);
    ASSERT_TRUE(ours && theirs);
    EXPECT_EQ(ours->role(), theirs->role());
    EXPECT_TRUE(ours->state().editable);
    EXPECT_TRUE(ours->state().multiLine);
    QAccessibleTextInterface* t = ours->textInterface();
    QAccessibleTextInterface* want = theirs->textInterface();
    ASSERT_TRUE(t && want && ours->editableTextInterface());
    EXPECT_EQ(t->characterCount(), want->characterCount());
    EXPECT_EQ(t->text(0, t->characterCount()), text);
    EXPECT_EQ(t->cursorPosition(), want->cursorPosition());
    int s = -1, e = -1;
    t->selection(0, &s, &e);
    EXPECT_EQ(std::pair(s, e), std::pair(4, 8));
    int compared = 0;
    for (const auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                            QAccessible::ParagraphBoundary, QAccessible::LineBoundary}) {
        for (const Where where : {Where::before, Where::at, Where::after}) {
            for (int offset = 0; offset < t->characterCount(); ++offset) {
                const Answer got = ask(t, where, offset, type);
                // Before the first word and after the last there is
                // nothing, where the toolkit repeats the word itself.
                if (where != Where::at && got.start < 0)
                    continue;
                ++compared;
                EXPECT_EQ(got, ask(want, where, offset, type))
                    << "boundary " << type << " where " << int(where) << " offset " << offset;
            }
        }
    }
    EXPECT_GT(compared, 350);  // of 465, all but the ends
}

TEST_F(MemoTest, WhatAScreenReaderTypesIsOneEditUndoTakesBack)
{
    memo.setPlainText(u8("a\nc"));
    QAccessibleEditableTextInterface* edit = QAccessible::queryAccessibleInterface(&memo)->editableTextInterface();
    edit->insertText(2, u8("b\n"));
    EXPECT_EQ(memo.toPlainText(), u8("a\nb\nc"));
    edit->replaceText(0, 1, u8("A\u2029"));
    EXPECT_EQ(memo.Lines.Count(), 4);
    memo.undo();
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), u8("a\nc"));
}

}  // namespace
