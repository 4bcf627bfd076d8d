// The memo shown on its own, as the memo's tests drive it, and its text
// written with the caret in it: "ab|c" has the caret after "b", "a<bc|" the
// selection from after "a" (where it started) to the end.
#pragma once

#include "rename/ui/memo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// Failures show the text, not its code units.
inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

namespace testing_support {

inline QString u8(const char* s) { return QString::fromUtf8(s); }

// Puts `marked` in the memo without its marks, the caret at "|" and the
// other end of the selection at "<" (at the caret without one).
inline void setMarked(renaming::TMemo& memo, const QString& marked)
{
    QString text = marked;
    const qsizetype anchorMark = text.indexOf(QLatin1Char('<'));
    if (anchorMark >= 0)
        text.remove(anchorMark, 1);
    const qsizetype caret = text.indexOf(QLatin1Char('|'));
    if (caret >= 0)
        text.remove(caret, 1);
    qsizetype anchor = anchorMark;
    if (anchorMark > caret && caret >= 0)
        --anchor;
    memo.setPlainText(text);
    const qsizetype at = caret < 0 ? text.size() : caret;
    memo.select(anchor < 0 ? at : anchor, at);
}

// The memo's text with its caret and selection marked as setMarked reads.
inline QString marked(const renaming::TMemo& memo)
{
    QString text = memo.toPlainText();
    const auto caret = static_cast<qsizetype>(memo.position());
    const auto anchor = static_cast<qsizetype>(memo.anchor());
    if (anchor != caret) {
        text.insert(std::max(anchor, caret), anchor > caret ? QLatin1Char('<') : QLatin1Char('|'));
        text.insert(std::min(anchor, caret), anchor > caret ? QLatin1Char('|') : QLatin1Char('<'));
    } else {
        text.insert(caret, QLatin1Char('|'));
    }
    return text;
}

// A key pressed, or text typed.
struct Press {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    const char* text = nullptr;
};
inline Press key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { return {k, m, nullptr}; }
inline Press ctrl(Qt::Key k) { return {k, Qt::ControlModifier, nullptr}; }
inline Press shift(Qt::Key k) { return {k, Qt::ShiftModifier, nullptr}; }
inline Press type(const char* text) { return {Qt::Key_unknown, Qt::NoModifier, text}; }

inline void pressAll(QWidget* w, const std::vector<Press>& presses)
{
    for (const Press& p : presses) {
        if (p.text) {
            // One key per character; QTest spells out ASCII only.
            const QString text = QString::fromUtf8(p.text);
            for (qsizetype i = 0; i < text.size(); ++i) {
                const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
                QApplication::sendEvent(w, &press);
                i += n - 1;
            }
        } else
            QTest::keyClick(w, p.key, p.modifiers);
    }
}

class MemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memo.resize(300, 200);
        memo.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&memo));
        QApplication::setActiveWindow(&memo);
        memo.setFocus();
    }
    renaming::TMemo memo;
};

}  // namespace testing_support
