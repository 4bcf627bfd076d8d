// What the user does to the memo: keys, the mouse, an input method, the
// context menu and drags of text, each as the toolkit's own editors answer
// it.
#include "rename/ui/memo.h"

#include "rename/ui/rows.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QIcon>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTextBoundaryFinder>

namespace renaming {

namespace {

using Kind = LineHistory::Kind;

// The characters that end a word for Ctrl+Left and Ctrl+Right, as the
// toolkit's text engine has them.
bool isWordSeparator(QChar c)
{
    switch (c.unicode()) {
    case '.': case ',': case '?': case '!': case '@': case '#': case '$': case ':': case ';':
    case '-': case '<': case '>': case '[': case ']': case '(': case ')': case '{': case '}':
    case '=': case '/': case '+': case '%': case '&': case '^': case '*': case '\'': case '"':
    case '`': case '~': case '|': case '\\':
        return true;
    default:
        return false;
    }
}

// Keys an editor takes before the window's shortcuts see them.
bool isEditorShortcut(const QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier || mods == Qt::KeypadModifier) {
        if (e->key() < Qt::Key_Escape)
            return true;
        switch (e->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Delete: case Qt::Key_Home:
        case Qt::Key_End: case Qt::Key_Backspace: case Qt::Key_Left: case Qt::Key_Right:
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Tab:
            return true;
        default:
            return false;
        }
    }
    for (const auto k : {QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Redo,
                         QKeySequence::Undo, QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord,
                         QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
                         QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
                         QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
                         QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock,
                         QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument,
                         QKeySequence::SelectAll})
        if (e->matches(k))
            return true;
    return false;
}

// Redo on every desktop: Ctrl+Y where the desktop's own binding is
// Ctrl+Shift+Z, and the other way round.
bool isRedo(const QKeyEvent* e)
{
    const QKeyCombination k = e->keyCombination();
    return e->matches(QKeySequence::Redo) || k == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           k == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

// Text a key types, as the toolkit's editors take it: printable, private
// use (the stand-ins of undecodable bytes), formatting characters; nothing
// with Ctrl, and never a tab, which moves the focus.
bool typesText(const QKeyEvent* e)
{
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    if (e->modifiers() == Qt::ControlModifier || e->modifiers() == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

}  // namespace

// --- Positions -------------------------------------------------------------

TMemo::Pos TMemo::graphemeEdge(Pos from, bool forward) const
{
    const int l = text_.lineAt(from);
    const Pos start = text_.lineStart(l), end = text_.lineEnd(l);
    if (forward && from >= end)
        return std::min(from + 1, length());
    if (!forward && from <= start)
        return std::max<Pos>(from - 1, 0);
    Pos first = 0;
    const QString s = lineAround(l, from - start, &first);
    QTextBoundaryFinder f(QTextBoundaryFinder::Grapheme, s);
    f.setPosition(static_cast<qsizetype>(from - start - first));
    const qsizetype next = forward ? f.toNextBoundary() : f.toPreviousBoundary();
    return next < 0 ? (forward ? end : start) : start + first + next;
}

TMemo::Pos TMemo::wordEdge(Pos from, bool forward) const
{
    const int l = text_.lineAt(from);
    const Pos start = text_.lineStart(l), end = text_.lineEnd(l);
    // Across a line break, a word move goes to the next line's start or the
    // previous line's end, as a block break is crossed.
    if (forward && from >= end)
        return std::min(from + 1, length());
    if (!forward && from <= start)
        return std::max<Pos>(from - 1, 0);
    Pos first = 0;
    const QString s = lineAround(l, from - start, &first);
    qsizetype i = from - start - first;
    const qsizetype n = s.size();
    if (forward) {
        if (isWordSeparator(s[i])) {
            while (i < n && isWordSeparator(s[i]))
                ++i;
        } else {
            while (i < n && !s[i].isSpace() && !isWordSeparator(s[i]))
                ++i;
        }
        while (i < n && s[i].isSpace())
            ++i;
    } else {
        while (i > 0 && s[i - 1].isSpace())
            --i;
        if (i > 0 && isWordSeparator(s[i - 1])) {
            while (i > 0 && isWordSeparator(s[i - 1]))
                --i;
        } else {
            while (i > 0 && !s[i - 1].isSpace() && !isWordSeparator(s[i - 1]))
                --i;
        }
    }
    return start + first + i;
}

void TMemo::selectWordAt(Pos position)
{
    const int l = text_.lineAt(position);
    Pos first = 0;
    const QString s = lineAround(l, position - text_.lineStart(l), &first);
    const Pos start = text_.lineStart(l) + first;
    if (s.isEmpty()) {
        wordAnchorStart_ = wordAnchorEnd_ = position;
        setCaret(position);
        return;
    }
    qsizetype at = std::min<qsizetype>(position - start, s.size() - 1);
    QTextBoundaryFinder f(QTextBoundaryFinder::Word, s);
    f.setPosition(at + 1);
    qsizetype end = f.isAtBoundary() ? at + 1 : f.toNextBoundary();
    f.setPosition(at);
    qsizetype begin = f.isAtBoundary() ? at : f.toPreviousBoundary();
    if (begin < 0)
        begin = 0;
    if (end < 0)
        end = s.size();
    wordAnchorStart_ = start + begin;
    wordAnchorEnd_ = start + end;
    select(wordAnchorStart_, wordAnchorEnd_);
}

// --- Keys ------------------------------------------------------------------

void TMemo::moveVertically(int lines, bool keepAnchor)
{
    const Caret before{anchor_, pos_};
    const int target = caretLine() + lines;
    Pos to;
    if (target < 0 || target >= lineCount()) {
        // Beyond the first or last line only a selection goes on, to the
        // start or the end.
        if (!keepAnchor)
            return;
        to = target < 0 ? 0 : length();
    } else {
        if (wantX_ < 0)
            wantX_ = caretX(pos_);
        const LaidLine laid = layoutLine(target, false, wantX_);
        to = text_.lineStart(target) + std::clamp<Pos>(laid.xToCursor(wantX_), 0, text_.lineLength(target));
    }
    const qreal x = wantX_;
    pos_ = to;
    if (!keepAnchor)
        anchor_ = pos_;
    ensureCaretVisible();
    wantX_ = x;
    caretMoved(before);
}

void TMemo::pageUpDown(bool down, bool keepAnchor)
{
    ensureCaretVisible();
    QScrollBar* v = verticalScrollBar();
    const int rows = rowsShown(), top = v->value(), onScreen = caretLine() - top;
    int target;
    if (down) {
        // With the last line in view the caret goes to it; else the view
        // moves on by what it shows whole, and the caret with it.
        if (top + rows >= lineCount()) {
            target = lineCount() - 1;
        } else {
            v->setValue(top + rows);
            target = std::min(lineCount() - 1, v->value() + onScreen);
        }
    } else {
        if (top == 0) {
            target = 0;
        } else {
            v->setValue(std::max(0, top - rows));
            target = v->value() + onScreen;
        }
    }
    moveVertically(target - caretLine(), keepAnchor);
}

bool TMemo::moveKey(QKeyEvent* e)
{
    const Caret before{anchor_, pos_};
    auto go = [&](Pos to, bool keep) {
        pos_ = std::clamp<Pos>(to, 0, length());
        if (!keep)
            anchor_ = pos_;
        wantX_ = -1;
        ensureCaretVisible();
        caretMoved(before);
        return true;
    };
    const int l = caretLine();
    if (e->matches(QKeySequence::MoveToNextChar))
        return go(hasSelection() ? selectionEnd() : graphemeEdge(pos_, true), false);
    if (e->matches(QKeySequence::MoveToPreviousChar))
        return go(hasSelection() ? selectionStart() : graphemeEdge(pos_, false), false);
    if (e->matches(QKeySequence::SelectNextChar))
        return go(graphemeEdge(pos_, true), true);
    if (e->matches(QKeySequence::SelectPreviousChar))
        return go(graphemeEdge(pos_, false), true);
    if (e->matches(QKeySequence::MoveToNextWord))
        return go(wordEdge(pos_, true), false);
    if (e->matches(QKeySequence::MoveToPreviousWord))
        return go(wordEdge(pos_, false), false);
    if (e->matches(QKeySequence::SelectNextWord))
        return go(wordEdge(pos_, true), true);
    if (e->matches(QKeySequence::SelectPreviousWord))
        return go(wordEdge(pos_, false), true);
    if (e->matches(QKeySequence::MoveToStartOfLine) || e->matches(QKeySequence::MoveToStartOfBlock))
        return go(text_.lineStart(l), false);
    if (e->matches(QKeySequence::MoveToEndOfLine) || e->matches(QKeySequence::MoveToEndOfBlock))
        return go(text_.lineEnd(l), false);
    if (e->matches(QKeySequence::SelectStartOfLine) || e->matches(QKeySequence::SelectStartOfBlock))
        return go(text_.lineStart(l), true);
    if (e->matches(QKeySequence::SelectEndOfLine) || e->matches(QKeySequence::SelectEndOfBlock))
        return go(text_.lineEnd(l), true);
    if (e->matches(QKeySequence::MoveToStartOfDocument))
        return go(0, false);
    if (e->matches(QKeySequence::MoveToEndOfDocument))
        return go(length(), false);
    if (e->matches(QKeySequence::SelectStartOfDocument))
        return go(0, true);
    if (e->matches(QKeySequence::SelectEndOfDocument))
        return go(length(), true);
    struct Vertical {
        QKeySequence::StandardKey key;
        int lines;
        bool keep;
    };
    for (const Vertical& k : {Vertical{QKeySequence::MoveToNextLine, 1, false},
                              Vertical{QKeySequence::MoveToPreviousLine, -1, false},
                              Vertical{QKeySequence::SelectNextLine, 1, true},
                              Vertical{QKeySequence::SelectPreviousLine, -1, true}}) {
        if (e->matches(k.key)) {
            moveVertically(k.lines, k.keep);
            return true;
        }
    }
    for (const Vertical& k : {Vertical{QKeySequence::MoveToNextPage, 1, false},
                              Vertical{QKeySequence::MoveToPreviousPage, -1, false},
                              Vertical{QKeySequence::SelectNextPage, 1, true},
                              Vertical{QKeySequence::SelectPreviousPage, -1, true}}) {
        if (e->matches(k.key)) {
            pageUpDown(k.lines > 0, k.keep);
            return true;
        }
    }
    return false;
}

bool TMemo::editKey(QKeyEvent* e)
{
    const bool plainBackspace = e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier);
    if (plainBackspace || e->matches(QKeySequence::Backspace)) {
        if (hasSelection()) {
            typed(Kind::deleting, selectionStart(), selectionEnd(), {});
        } else if (pos_ > 0) {
            // One code point back, so that a combining mark goes alone.
            Pos from = pos_ - 1;
            if (from > 0 && QChar::isLowSurrogate(text_.at(from)) && QChar::isHighSurrogate(text_.at(from - 1)))
                --from;
            typed(Kind::deleting, from, pos_, {});
        }
        return true;
    }
    if (e->matches(QKeySequence::InsertParagraphSeparator) || e->matches(QKeySequence::InsertLineSeparator)) {
        typed(Kind::other, selectionStart(), selectionEnd(), u"\n");
        return true;
    }
    if (e->matches(QKeySequence::Undo)) {
        undo();
        return true;
    }
    if (isRedo(e)) {
        redo();
        return true;
    }
    if (e->matches(QKeySequence::Cut)) {
        cut();
        return true;
    }
    if (e->matches(QKeySequence::Paste)) {
        const bool selection = QGuiApplication::clipboard()->supportsSelection() &&
                               e->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) &&
                               e->key() == Qt::Key_Insert;
        if (const QMimeData* md = QGuiApplication::clipboard()->mimeData(
                selection ? QClipboard::Selection : QClipboard::Clipboard))
            insertFromMimeData(md);
        return true;
    }
    if (e->matches(QKeySequence::Delete)) {
        if (hasSelection())
            typed(Kind::deleting, selectionStart(), selectionEnd(), {});
        else if (pos_ < length())
            typed(Kind::deleting, pos_, graphemeEdge(pos_, true), {});
        return true;
    }
    const struct {
        QKeySequence::StandardKey key;
        bool forward;
    } words[] = {{QKeySequence::DeleteEndOfWord, true}, {QKeySequence::DeleteStartOfWord, false}};
    for (const auto& w : words) {
        if (e->matches(w.key)) {
            if (hasSelection())
                typed(Kind::other, selectionStart(), selectionEnd(), {});
            else {
                const Pos to = wordEdge(pos_, w.forward);
                typed(Kind::other, std::min(pos_, to), std::max(pos_, to), {});
            }
            return true;
        }
    }
    if (e->matches(QKeySequence::DeleteEndOfLine)) {
        const Pos end = text_.lineEnd(caretLine());
        // Just before the end, the last character; at the end, nothing.
        const Pos to = pos_ + 1 == end ? end : pos_ < end ? end : pos_;
        typed(Kind::other, hasSelection() ? selectionStart() : pos_, hasSelection() ? selectionEnd() : to, {});
        return true;
    }
    return false;
}

void TMemo::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::SelectAll)) {
        selectAll();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        copy();
        e->accept();
        return;
    }
    if (moveKey(e) || editKey(e)) {
        e->accept();
        restartBlink();
        return;
    }
    if (e->key() != Qt::Key_Tab && e->key() != Qt::Key_Backtab && typesText(e)) {
        typed(Kind::typing, selectionStart(), selectionEnd(), e->text());
        e->accept();
        return;
    }
    e->ignore();
}

bool TMemo::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (isEditorShortcut(k) || isRedo(k)) {
            k->accept();
            return true;
        }
        break;
    }
    case QEvent::ContextMenu: {
        auto* c = static_cast<QContextMenuEvent*>(e);
        // From the keyboard the menu opens at the caret.
        if (c->reason() == QContextMenuEvent::Keyboard) {
            ensureCaretVisible();
            const QPoint at = cursorRect().center();
            QContextMenuEvent ce(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
            contextMenuEvent(&ce);
            e->setAccepted(ce.isAccepted());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QAbstractScrollArea::event(e);
}

// --- Input methods ---------------------------------------------------------

void TMemo::inputMethodEvent(QInputMethodEvent* e)
{
    const bool input = !e->commitString().isEmpty() || e->preeditString() != preedit_ ||
                       e->replacementLength() > 0;
    const Caret before{anchor_, pos_};
    if (input && (hasSelection() || !e->commitString().isEmpty() || e->replacementLength() > 0)) {
        // The selection goes as the composition starts; what is committed
        // replaces it, as one edit.
        Edit edit(*this);
        edit.replace(selectionStart(), selectionEnd(), {});
        anchor_ = pos_;
        if (!e->commitString().isEmpty() || e->replacementLength() > 0) {
            const Pos from = std::clamp<Pos>(pos_ + e->replacementStart(), 0, length());
            const Pos to = std::clamp<Pos>(from + e->replacementLength(), from, length());
            edit.replace(from, to, e->commitString());
            anchor_ = pos_;
        }
    }
    const int line = caretLine();
    preedit_ = e->preeditString();
    preeditCursor_ = static_cast<int>(preedit_.size());
    preeditHidesCaret_ = false;
    preeditFormats_.clear();
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Selection) {
            const Pos start = text_.lineStart(line) + a.start;
            setCaretState({start, start + a.length});
        } else if (a.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = a.start;
            preeditHidesCaret_ = a.length == 0;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (f.isValid())
                preeditFormats_.append({a.start, a.length, f});
        }
    }
    std::sort(preeditFormats_.begin(), preeditFormats_.end(),
              [](const auto& x, const auto& y) { return x.start < y.start; });
    wantX_ = -1;
    if (!preedit_.isEmpty())
        ensureCaretVisible();
    repaintCaret();
    caretMoved(before);
    updateMicroFocus();
    e->accept();
}

void TMemo::commitPreedit()
{
    if (preedit_.isEmpty())
        return;
    QGuiApplication::inputMethod()->commit();
    if (preedit_.isEmpty())
        return;
    // The input method kept it: the composition is dropped.
    preedit_.clear();
    preeditFormats_.clear();
    preeditCursor_ = 0;
    repaintCaret();
}

QVariant TMemo::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const int l = caretLine();
    const Pos start = text_.lineStart(l);
    const QPoint offset = viewport()->pos();
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled();
    case Qt::ImReadOnly:
        return false;
    case Qt::ImCursorRectangle:
        return cursorRect().translated(offset);
    case Qt::ImAnchorRectangle:
        return cursorRect(anchor_).translated(offset);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return static_cast<int>(pos_ - start);
    case Qt::ImSurroundingText:
        return line(l);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImMaximumTextLength:
        return {};
    case Qt::ImAnchorPosition:
        return static_cast<int>(anchor_ - start);
    case Qt::ImAbsolutePosition:
        return static_cast<qlonglong>(pos_);
    case Qt::ImTextAfterCursor:
        return textBetween(pos_, std::min(length(), pos_ + 1024));
    case Qt::ImTextBeforeCursor:
        return textBetween(std::max<Pos>(0, pos_ - 1024), pos_);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// --- Focus and timers ------------------------------------------------------

void TMemo::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    restartBlink();
    viewport()->update();
}

void TMemo::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    blink_.stop();
    caretOn_ = false;
    viewport()->update();
}

void TMemo::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == blink_.timerId()) {
        caretOn_ = !caretOn_;
        if (hasSelection() && !style()->styleHint(QStyle::SH_BlinkCursorWhenTextSelected, nullptr, this))
            caretOn_ = false;
        repaintCaret();
    } else if (e->timerId() == tripleClick_.timerId()) {
        tripleClick_.stop();
    } else if (e->timerId() == autoScroll_.timerId()) {
        const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
        const QRect r = viewport()->rect();
        if (at.y() < r.top())
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (at.y() > r.bottom())
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        if (at.x() < r.left())
            horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (at.x() > r.right())
            horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        dragTo(at);
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

// --- The mouse -------------------------------------------------------------

void TMemo::dragTo(QPoint at)
{
    const Pos p = hitTest(at);
    const Caret before{anchor_, pos_};
    if (lineSelecting_) {
        // After a third click the selection grows by whole lines.
        const int l = text_.lineAt(p);
        if (p < wordAnchorStart_) {
            anchor_ = wordAnchorEnd_;
            pos_ = text_.lineStart(l);
        } else {
            anchor_ = wordAnchorStart_;
            pos_ = l + 1 < lineCount() ? text_.lineStart(l + 1) : length();
        }
    } else if (wordAnchorStart_ >= 0) {
        // After a double click the selection grows by whole words.
        const int l = text_.lineAt(p);
        Pos first = 0;
        const QString s = lineAround(l, p - text_.lineStart(l), &first);
        const Pos start = text_.lineStart(l) + first;
        QTextBoundaryFinder f(QTextBoundaryFinder::Word, s);
        if (p < wordAnchorStart_) {
            f.setPosition(p - start);
            const qsizetype b = f.isAtBoundary() ? p - start : f.toPreviousBoundary();
            anchor_ = wordAnchorEnd_;
            pos_ = start + std::max<qsizetype>(0, b);
        } else if (p > wordAnchorEnd_) {
            f.setPosition(p - start);
            const qsizetype b = f.isAtBoundary() ? p - start : f.toNextBoundary();
            anchor_ = wordAnchorStart_;
            pos_ = b < 0 ? text_.lineEnd(l) : start + b;
        } else {
            anchor_ = wordAnchorStart_;
            pos_ = wordAnchorEnd_;
        }
    } else {
        pos_ = p;
    }
    wantX_ = -1;
    caretMoved(before);
}

void TMemo::mousePressEvent(QMouseEvent* e)
{
    pressAt_ = e->position().toPoint();
    mightDrag_ = false;
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    commitPreedit();
    const Pos p = hitTest(pressAt_);
    if (tripleClick_.isActive() &&
        (pressAt_ - tripleAt_).manhattanLength() < QApplication::startDragDistance()) {
        // A third click takes the whole line with its break.
        const int l = text_.lineAt(p);
        wordAnchorStart_ = text_.lineStart(l);
        wordAnchorEnd_ = l + 1 < lineCount() ? text_.lineStart(l + 1) : length();
        lineSelecting_ = true;
        tripleClick_.stop();
        select(wordAnchorStart_, wordAnchorEnd_);
    } else if (e->modifiers() == Qt::ShiftModifier) {
        dragTo(pressAt_);
    } else if (hasSelection() && p >= selectionStart() && p <= selectionEnd() &&
               p != text_.lineEnd(text_.lineAt(p))) {
        // A press on the selection may start dragging it.
        mightDrag_ = true;
        return;
    } else {
        wordAnchorStart_ = wordAnchorEnd_ = -1;
        lineSelecting_ = false;
        select(p, p);
    }
    selecting_ = true;
    restartBlink();
}

void TMemo::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (!(e->buttons() & Qt::LeftButton))
        return;
    if (mightDrag_) {
        if ((at - pressAt_).manhattanLength() > QApplication::startDragDistance())
            startTextDrag();
        return;
    }
    if (!selecting_)
        return;
    if (viewport()->rect().contains(at))
        autoScroll_.stop();
    else if (!autoScroll_.isActive())
        autoScroll_.start(50, this);
    dragTo(at);
}

void TMemo::mouseReleaseEvent(QMouseEvent* e)
{
    autoScroll_.stop();
    const QPoint at = e->position().toPoint();
    if (mightDrag_ && e->button() == Qt::LeftButton) {
        mightDrag_ = false;
        wordAnchorStart_ = wordAnchorEnd_ = -1;
        lineSelecting_ = false;
        setCaret(hitTest(at));
    } else if (e->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        // The text selected anywhere on the desktop goes where the middle
        // button is let go.
        setCaret(hitTest(at));
        if (const QMimeData* md = QGuiApplication::clipboard()->mimeData(QClipboard::Selection))
            insertFromMimeData(md);
    }
    if (e->button() == Qt::LeftButton)
        selecting_ = false;
}

void TMemo::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    commitPreedit();
    mightDrag_ = false;
    lineSelecting_ = false;
    selectWordAt(hitTest(e->position().toPoint()));
    selecting_ = true;
    tripleAt_ = e->position().toPoint();
    tripleClick_.start(QApplication::doubleClickInterval(), this);
}

// --- The context menu ------------------------------------------------------

QMenu* TMemo::createStandardContextMenu()
{
    // The toolkit's own items, with the words its translations give them.
    auto words = [](const char* text, std::optional<QKeySequence::StandardKey> key) {
        QString s = QCoreApplication::translate("QWidgetTextControl", text);
        if (key && !QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus))
            s += QLatin1Char('\t') + QKeySequence(*key).toString(QKeySequence::NativeText);
        return s;
    };
    auto* menu = new QMenu(this);
    auto add = [&](const char* text, std::optional<QKeySequence::StandardKey> key, const char* name,
                   const char* icon, bool enabled, auto slot) {
        QAction* a = menu->addAction(words(text, key));
        a->setObjectName(QLatin1String(name));
        const QIcon i = QIcon::fromTheme(QLatin1String(icon));
        if (!i.isNull())
            a->setIcon(i);
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, slot);
    };
    add("&Undo", QKeySequence::Undo, "edit-undo", "edit-undo", isUndoAvailable(), [this] { undo(); });
    add("&Redo", QKeySequence::Redo, "edit-redo", "edit-redo", isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, "edit-cut", "edit-cut", hasSelection(), [this] { cut(); });
    add("&Copy", QKeySequence::Copy, "edit-copy", "edit-copy", hasSelection(), [this] { copy(); });
    add("&Paste", QKeySequence::Paste, "edit-paste", "edit-paste", canPaste(), [this] { paste(); });
    add("Delete", std::nullopt, "edit-delete", "edit-delete", hasSelection(), [this] { deleteSelection(); });
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, "select-all", "edit-select-all", length() > 0,
        [this] { selectAll(); });
    return menu;
}

void TMemo::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
    e->accept();
}

// --- Drags of text ---------------------------------------------------------

void TMemo::startTextDrag()
{
    mightDrag_ = false;
    selecting_ = false;
    auto* data = new QMimeData;
    data->setText(selectedText());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // A move to elsewhere takes the text away; one within the memo moved it
    // already.
    if (action == Qt::MoveAction && drag->target() != this && drag->target() != viewport())
        deleteSelection();
}

void TMemo::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasText() && !e->mimeData()->text().isEmpty())
        e->acceptProposedAction();
    else
        e->ignore();
}

void TMemo::dragMoveEvent(QDragMoveEvent* e)
{
    if (!e->mimeData()->hasText() || e->mimeData()->text().isEmpty()) {
        e->ignore();
        return;
    }
    const Pos at = hitTest(e->position().toPoint());
    if (at != dropAt_) {
        dropAt_ = at;
        viewport()->update();
    }
    e->acceptProposedAction();
}

void TMemo::dragLeaveEvent(QDragLeaveEvent*)
{
    dropAt_ = -1;
    viewport()->update();
}

void TMemo::dropEvent(QDropEvent* e)
{
    dropAt_ = -1;
    viewport()->update();
    const QMimeData* data = e->mimeData();
    if (!data->hasText() || data->text().isEmpty()) {
        e->ignore();
        return;
    }
    Pos at = hitTest(e->position().toPoint());
    const bool moveHere = e->dropAction() == Qt::MoveAction && (e->source() == this || e->source() == viewport());
    {
        Edit edit(*this);
        if (moveHere && hasSelection()) {
            const Pos from = selectionStart(), to = selectionEnd();
            at = at <= from ? at : at >= to ? at - (to - from) : from;
            edit.replace(from, to, {});
        }
        anchor_ = pos_ = at;
        insertFromMimeData(data);
    }
    setFocus(Qt::MouseFocusReason);
    e->acceptProposedAction();
}

}  // namespace renaming
