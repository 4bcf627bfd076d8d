// The memo's text and its edits: every change goes through change() or
// typed(), which make the text plain, keep the caret, the undo history and
// the view up to date and tell whoever listens.
#include "rename/ui/memo.h"

#include "rename/ui/memoaccessible.h"
#include "rename/ui/messages.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>

namespace renaming {

namespace {

// Characters the toolkit shows as a line break, the line feed aside.
bool isOtherBreak(char16_t c)
{
    return c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

// `text` with its breaks as line feeds: `text` itself where it has no other
// break, else a copy in `keep`.
QStringView plain(QStringView text, QString& keep)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && !isOtherBreak(text[i].unicode()))
        ++i;
    if (i == n)
        return text;
    keep.reserve(n);
    keep.append(text.left(i));
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            keep += QLatin1Char('\n');
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            keep += isOtherBreak(c) ? QChar(u'\n') : QChar(c);
        }
    }
    return keep;
}

std::u16string_view units(QStringView s) { return {s.utf16(), static_cast<size_t>(s.size())}; }

// The length of `text` in UTF-8, without making it.
qsizetype utf8Length(QStringView text)
{
    qsizetype n = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        n += u < 0x80 ? 1 : u < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;
    }
    return n;
}

}  // namespace

TMemo::TMemo(QWidget* parent) : QAbstractScrollArea(parent)
{
    MemoAccessible::install();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
    updateScrollBars();
}

TMemo::~TMemo() = default;

QString TMemo::plainLines(QString text)
{
    QString keep;
    const QStringView p = plain(text, keep);
    return p.data() == text.constData() ? text : keep;
}

QString TMemo::textBetween(Pos from, Pos to) const
{
    from = std::clamp<Pos>(from, 0, length());
    to = std::clamp<Pos>(to, from, length());
    QString s(static_cast<qsizetype>(to - from), Qt::Uninitialized);
    text_.copy(from, to, reinterpret_cast<char16_t*>(s.data()));
    return s;
}

QString TMemo::toPlainText() const { return textBetween(0, length()); }

QString TMemo::line(int i) const
{
    if (i < 0 || i >= lineCount())
        return {};
    return textBetween(text_.lineStart(i), text_.lineEnd(i));
}

void TMemo::setPlainText(const QString& text) { resetText(text); }

void TMemo::clear() { resetText(QString()); }

void TMemo::resetText(const QString& text)
{
    commitPreedit();
    QString keep;
    const QStringView p = plain(text, keep);
    const Caret before{anchor_, pos_};
    if (!text_.replace(0, length(), units(p)))
        text_.replace(0, length(), {});
    text_.trim();
    history_.clear();
    anchor_ = pos_ = 0;
    wantX_ = -1;
    longestStale_ = true;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    notifyTextChanged();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent ev(this, 0, QString(), textBetween(0, std::min<Pos>(length(), 1 << 16)));
        QAccessible::updateAccessibility(&ev);
    }
    caretMoved(before);
    // Told even where the caret stays at the start, as the toolkit's
    // editors tell it.
    if (before.position == 0)
        emit cursorPositionChanged();
}

void TMemo::notifyTextChanged()
{
    emit textChanged();
    emit undoAvailable(history_.canUndo());
    emit redoAvailable(history_.canRedo());
}

void TMemo::setCaretState(Caret c)
{
    anchor_ = std::clamp<Pos>(c.anchor, 0, length());
    pos_ = std::clamp<Pos>(c.position, 0, length());
}

void TMemo::caretMoved(Caret before)
{
    if (before == Caret{anchor_, pos_})
        return;
    restartBlink();
    viewport()->update();
    updateMicroFocus();
    if (QGuiApplication::clipboard()->supportsSelection() && hasSelection())
        QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
    if (QAccessible::isActive()) {
        if (hasSelection() || before.anchor != before.position) {
            QAccessibleTextSelectionEvent ev(this, static_cast<int>(selectionStart()),
                                             static_cast<int>(selectionEnd()));
            QAccessible::updateAccessibility(&ev);
        }
        QAccessibleTextCursorEvent ev(this, static_cast<int>(pos_));
        QAccessible::updateAccessibility(&ev);
    }
    if (before.position != pos_)
        emit cursorPositionChanged();
    if (hasSelection() || before.anchor != before.position)
        emit selectionChanged();
}

void TMemo::select(Pos anchor, Pos position)
{
    commitPreedit();
    const Caret before{anchor_, pos_};
    setCaretState({anchor, position});
    wantX_ = -1;
    ensureCaretVisible();
    caretMoved(before);
}

void TMemo::selectAll()
{
    const Caret before{anchor_, pos_};
    anchor_ = 0;
    pos_ = length();
    caretMoved(before);
}

// --- Changes ---------------------------------------------------------------

void TMemo::afterChange(Pos at, Pos removed, Pos inserted)
{
    changed_ = true;
    if (removed > 0) {
        longestStale_ = true;
    } else if (!longestStale_) {
        // Typing within a line makes at most that line the longest; other
        // changes have every line looked at again.
        const int l = text_.lineAt(at);
        if (text_.lineAt(at + inserted) != l) {
            longestStale_ = true;
        } else if (text_.lineLength(l) > longest_.length) {
            longest_ = {l, text_.lineLength(l)};
            widthStale_ = true;
        }
    }
    if (QAccessible::isActive()) {
        const QString added = textBetween(at, at + inserted);
        if (removed == 0) {
            QAccessibleTextInsertEvent ev(this, static_cast<int>(at), added);
            QAccessible::updateAccessibility(&ev);
        } else if (inserted == 0) {
            QAccessibleTextRemoveEvent ev(this, static_cast<int>(at), QString(removed, QLatin1Char(' ')));
            QAccessible::updateAccessibility(&ev);
        } else {
            QAccessibleTextUpdateEvent ev(this, static_cast<int>(at), QString(removed, QLatin1Char(' ')), added);
            QAccessible::updateAccessibility(&ev);
        }
    }
}

bool TMemo::change(Pos from, Pos to, QStringView text)
{
    from = std::clamp<Pos>(from, 0, length());
    to = std::clamp<Pos>(to, from, length());
    QString keep;
    const QStringView p = plain(text, keep);
    std::u16string removed = text_.text(from, to);
    if (!text_.replace(from, to, units(p)))
        return false;
    const Pos inserted = p.size();
    history_.record({from, std::move(removed), inserted});
    // Both ends of the selection move as the text before them changes, as
    // a cursor of the toolkit's documents does.
    auto moved = [&](Pos x) {
        return x < from ? x : x >= to ? x - (to - from) + inserted : from + inserted;
    };
    anchor_ = moved(anchor_);
    pos_ = moved(pos_);
    afterChange(from, to - from, inserted);
    return true;
}

void TMemo::typed(LineHistory::Kind kind, Pos from, Pos to, QStringView text)
{
    const Caret before{anchor_, pos_};
    QString keep;
    const QStringView p = plain(text, keep);
    std::u16string removed = text_.text(from, to);
    if (!text_.replace(from, to, units(p)))
        return;
    anchor_ = pos_ = from + p.size();
    history_.typed(kind, before, {from, std::move(removed), p.size()}, {anchor_, pos_});
    afterChange(from, to - from, p.size());
    changed_ = false;
    wantX_ = -1;
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
    notifyTextChanged();
    caretMoved(before);
}

TMemo::Edit::Edit(TMemo& memo) : memo_(memo)
{
    if (memo_.editDepth_++ > 0)
        return;
    memo_.commitPreedit();
    memo_.changed_ = false;
    memo_.editBefore_ = {memo_.anchor_, memo_.pos_};
    memo_.history_.begin(memo_.editBefore_);
}

TMemo::Edit::~Edit()
{
    if (toStart_)
        memo_.anchor_ = memo_.pos_ = 0;
    if (--memo_.editDepth_ > 0)
        return;
    memo_.history_.end({memo_.anchor_, memo_.pos_});
    memo_.wantX_ = -1;
    if (memo_.changed_) {
        memo_.text_.trim();
        memo_.updateScrollBars();
        memo_.viewport()->update();
        memo_.notifyTextChanged();
    }
    memo_.caretMoved(memo_.editBefore_);
}

bool TMemo::Edit::replace(Pos from, Pos to, QStringView text) { return memo_.change(from, to, text); }

bool TMemo::Edit::replaceLine(int line, QStringView text)
{
    if (line < 0 || line >= memo_.lineCount())
        return false;
    return replace(memo_.lineStart(line), memo_.lineEnd(line), text);
}

bool TMemo::Edit::replaceAll(QStringView text)
{
    toStart_ = true;
    return replace(0, memo_.length(), text);
}

bool TMemo::Edit::append(QStringView text) { return replace(memo_.length(), memo_.length(), text); }

void TMemo::Edit::reserve(Pos units) { memo_.text_.reserve(memo_.length() + units); }

bool TMemo::replace(Pos from, Pos to, QStringView text)
{
    Edit e(*this);
    return e.replace(from, to, text);
}

void TMemo::insertPlainText(const QString& text)
{
    {
        Edit e(*this);
        e.replace(selectionStart(), selectionEnd(), text);
        anchor_ = pos_;
    }
    ensureCaretVisible();
}

void TMemo::deleteSelection()
{
    if (!hasSelection())
        return;
    Edit e(*this);
    e.replace(selectionStart(), selectionEnd(), {});
}

// --- Clipboard and undo ----------------------------------------------------

void TMemo::copy()
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TMemo::cut()
{
    if (!hasSelection())
        return;
    copy();
    deleteSelection();
}

void TMemo::paste()
{
    if (const QMimeData* md = QGuiApplication::clipboard()->mimeData())
        insertFromMimeData(md);
}

bool TMemo::canPaste() const
{
    const QMimeData* md = QGuiApplication::clipboard()->mimeData();
    return md && md->hasText() && !md->text().isEmpty();
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    const QString text = source->text();
    if (text.isEmpty())
        return;
    if (utf8Length(text) > kMaxPasteBytes) {
        widgets::messageBox(widgets::fromUtf8(msg::kPasteTooLarge), widgets::fromUtf8(msg::kPasteCaption),
                            widgets::kMbOk | widgets::kMbIconStop);
        return;
    }
    insertPlainText(text);
}

void TMemo::undo() { stepHistory(&LineHistory::undo); }

void TMemo::redo() { stepHistory(&LineHistory::redo); }

void TMemo::stepHistory(std::optional<Caret> (LineHistory::*step)(LineStore&, const LineHistory::Observer&))
{
    commitPreedit();
    const Caret before{anchor_, pos_};
    changed_ = false;
    const auto caret = (history_.*step)(text_, [this](Pos at, Pos removed, Pos inserted) {
        afterChange(at, removed, inserted);
    });
    if (!caret)
        return;
    setCaretState(*caret);
    wantX_ = -1;
    text_.trim();
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
    notifyTextChanged();
    caretMoved(before);
}

}  // namespace renaming
