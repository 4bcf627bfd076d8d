#include "rename/ui/memoaccessible.h"

#include "rename/ui/memo.h"

#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

namespace renaming {

using Pos = TMemo::Pos;

namespace {

QAccessibleInterface* memoFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String(TMemo::staticMetaObject.className()) && object && object->isWidgetType())
        return new MemoAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

void MemoAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(memoFactory);
        return true;
    }();
    (void)installed;
}

MemoAccessible::MemoAccessible(QWidget* memo) : QAccessibleWidget(memo, QAccessible::EditableText) {}

TMemo* MemoAccessible::memo() const { return static_cast<TMemo*>(widget()); }

QString MemoAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return memo()->toPlainText();
    return QAccessibleWidget::text(t);
}

void MemoAccessible::setText(QAccessible::Text t, const QString& text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    TMemo::Edit edit(*memo());
    edit.replaceAll(text);
}

QAccessible::State MemoAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void* MemoAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void MemoAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !memo()->hasSelection())
        return;
    *startOffset = static_cast<int>(memo()->selectionStart());
    *endOffset = static_cast<int>(memo()->selectionEnd());
}

int MemoAccessible::selectionCount() const { return memo()->hasSelection() ? 1 : 0; }

void MemoAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void MemoAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        memo()->setCaret(memo()->position());
}

void MemoAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        memo()->select(startOffset, endOffset);
}

int MemoAccessible::cursorPosition() const { return static_cast<int>(memo()->position()); }

void MemoAccessible::setCursorPosition(int position) { memo()->setCaret(position); }

QString MemoAccessible::text(int startOffset, int endOffset) const
{
    return memo()->textBetween(startOffset, endOffset);
}

QString MemoAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                     int* endOffset) const
{
    const TMemo& m = *memo();
    const int count = characterCount();
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count)
        return {};
    if (type == QAccessible::NoBoundary) {
        *startOffset = 0;
        *endOffset = count;
        return m.toPlainText();
    }
    const int l = m.lineAt(offset);
    const auto start = static_cast<int>(m.lineStart(l));
    if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary) {
        // The line without its break, as the toolkit's editors read it.
        *startOffset = start;
        *endOffset = static_cast<int>(m.lineEnd(l));
        return m.textBetween(*startOffset, *endOffset);
    }
    if (type == QAccessible::CharBoundary) {
        if (offset - start >= m.lineEnd(l) - m.lineStart(l)) {
            // At a line's end: its break, or nothing at the end of the text.
            *startOffset = offset;
            *endOffset = std::min(offset + 1, count);
            return m.textBetween(*startOffset, *endOffset);
        }
        Pos first = 0;
        const QString line = m.lineAround(l, offset - start, &first);
        QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, line);
        const qsizetype at = offset - start - first;
        f.setPosition(at);
        const qsizetype begin = f.isAtBoundary() ? at : f.toPreviousBoundary();
        f.setPosition(at);
        const qsizetype end = f.toNextBoundary();
        *startOffset = start + static_cast<int>(first + std::max<qsizetype>(begin, 0));
        *endOffset = start + static_cast<int>(first + (end < 0 ? line.size() : end));
        return m.textBetween(*startOffset, *endOffset);
    }
    // Words and sentences as the toolkit's editors find them, looked for in
    // the line alone (neither goes past a break): a document of one line.
    Pos first = 0;
    QTextDocument doc(m.lineAround(l, offset - start, &first));
    QTextCursor c(&doc);
    c.setPosition(offset - start - static_cast<int>(first));
    const auto [begin, end] = QAccessible::qAccessibleTextBoundaryHelper(c, type);
    *startOffset = start + static_cast<int>(first) + begin;
    *endOffset = start + static_cast<int>(first) + end;
    return m.textBetween(*startOffset, *endOffset);
}

QString MemoAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                         int* endOffset) const
{
    int s = 0, e = 0;
    textAtOffset(offset, type, &s, &e);
    if (s <= 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return textAtOffset(s - 1, type, startOffset, endOffset);
}

QString MemoAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                        int* endOffset) const
{
    int s = 0, e = 0;
    textAtOffset(offset, type, &s, &e);
    if (e < 0 || e >= characterCount()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return textAtOffset(e, type, startOffset, endOffset);
}

int MemoAccessible::characterCount() const { return static_cast<int>(memo()->length()); }

QRect MemoAccessible::characterRect(int offset) const
{
    TMemo& m = *memo();
    const QRect at = m.cursorRect(offset);
    int width = 0;
    if (offset < m.length() && m.lineAt(offset + 1) == m.lineAt(offset))
        width = m.cursorRect(offset + 1).x() - at.x();
    return QRect(m.viewport()->mapToGlobal(at.topLeft()), QSize(std::max(width, 1), at.height()));
}

int MemoAccessible::offsetAtPoint(const QPoint& point) const
{
    TMemo& m = *memo();
    const QPoint at = m.viewport()->mapFromGlobal(point);
    if (!m.viewport()->rect().contains(at))
        return -1;
    return static_cast<int>(m.hitTest(at));
}

void MemoAccessible::scrollToSubstring(int startIndex, int)
{
    TMemo& m = *memo();
    const int l = m.lineAt(startIndex);
    QScrollBar* v = m.verticalScrollBar();
    if (l < v->value() || l >= v->value() + v->pageStep())
        v->setValue(l);
}

QString MemoAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    // One plain run: the memo has no formatting.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void MemoAccessible::deleteText(int startOffset, int endOffset) { memo()->replace(startOffset, endOffset, {}); }

void MemoAccessible::insertText(int offset, const QString& text) { memo()->replace(offset, offset, text); }

void MemoAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    memo()->replace(startOffset, endOffset, text);
}

}  // namespace renaming
