// How the memo draws its lines: one row of the list apart, only the rows in
// view laid out, and its bars counting lines (vertical) and pixels.
#include "rename/ui/memo.h"

#include "rename/ui/rows.h"

#include <QApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTextLine>
#include <QTimer>

namespace renaming {

namespace {

// The text two pixels in from the left, as the list's names.
constexpr int kIndent = 2;
// Lines longer than this are laid out a part at a time: shaping a line of a
// million characters would take seconds at every look.
constexpr int kLongLine = 8192;
// The part laid out, and the step its start moves by.
constexpr int kPart = 4096;
constexpr int kPartStep = 1024;

}  // namespace

qreal TMemo::LaidLine::cursorToX(int column) const
{
    const QTextLine tl = layout->lineAt(0);
    const auto n = static_cast<int>(layout->text().size());
    if (column < from)
        return left - (from - column) * (tl.naturalTextWidth() / std::max(1, n));
    return left + tl.cursorToX(column - from);
}

int TMemo::LaidLine::xToCursor(qreal x) const
{
    return from + layout->lineAt(0).xToCursor(x - left, QTextLine::CursorBetweenCharacters);
}

QString TMemo::lineAround(int l, Pos column, Pos* from) const
{
    const Pos start = text_.lineStart(l), length = text_.lineLength(l);
    Pos first = 0, last = length;
    if (length > kLongLine) {
        first = std::clamp<Pos>((column - kPart / 2) / kPartStep * kPartStep, 0, length);
        last = std::min(length, first + kPart);
        // Never half a pair of surrogates at either end.
        if (first > 0 && QChar::isLowSurrogate(text_.at(start + first)))
            ++first;
        if (last < length && QChar::isLowSurrogate(text_.at(start + last)))
            ++last;
    }
    if (from)
        *from = first;
    return textBetween(start + first, start + last);
}

TMemo::LaidLine TMemo::layoutLine(int l, bool withPreedit, qreal nearX) const
{
    const int average = std::max(1, fontMetrics().averageCharWidth());
    return layoutLineAt(l, withPreedit, static_cast<int>(std::max<qreal>(0, nearX) / average));
}

TMemo::LaidLine TMemo::layoutLineAt(int l, bool withPreedit, int nearColumn) const
{
    LaidLine laid;
    Pos from = 0;
    const QString text = lineAround(l, nearColumn, &from);
    const int average = std::max(1, fontMetrics().averageCharWidth());
    laid.from = static_cast<int>(from);
    laid.left = static_cast<qreal>(from) * average;
    laid.layout = std::make_unique<QTextLayout>(text, font(), viewport());
    QTextLayout& layout = *laid.layout;
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    const int column = static_cast<int>(caretColumn()) - laid.from;
    if (withPreedit && !preedit_.isEmpty() && l == caretLine() && column >= 0 && column <= text.size()) {
        layout.setPreeditArea(column, preedit_);
        QList<QTextLayout::FormatRange> formats = preeditFormats_;
        for (auto& f : formats)
            f.start += column;
        layout.setFormats(formats);
    }
    layout.beginLayout();
    QTextLine tl = layout.createLine();
    if (tl.isValid()) {
        tl.setLineWidth(16777215.0);
        tl.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    const Pos length = text_.lineLength(l);
    laid.width = length > kLongLine ? static_cast<qreal>(length) * average : tl.naturalTextWidth();
    return laid;
}

int TMemo::rowsShown() const { return std::max(1, viewport()->height() / kRowHeight); }

int TMemo::topLine() const { return verticalScrollBar()->value(); }

int TMemo::textLeft() const { return kIndent - horizontalScrollBar()->value(); }

qreal TMemo::caretX(Pos position) const
{
    const int l = text_.lineAt(position);
    const bool here = position == pos_ && !preedit_.isEmpty();
    const int column = static_cast<int>(position - text_.lineStart(l));
    const LaidLine laid = layoutLineAt(l, here, column);
    return laid.cursorToX(column + (here ? preeditCursor_ : 0));
}

QRect TMemo::cursorRect(Pos position) const
{
    position = std::clamp<Pos>(position, 0, length());
    const int y = (text_.lineAt(position) - topLine()) * kRowHeight;
    const int x = textLeft() + qRound(caretX(position));
    return QRect(x, y, style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this), kRowHeight);
}

TMemo::Pos TMemo::hitTest(QPoint at) const
{
    const int row = at.y() < 0 ? -1 - (-at.y() - 1) / kRowHeight : at.y() / kRowHeight;
    const int l = std::clamp(topLine() + row, 0, lineCount() - 1);
    const qreal x = at.x() - textLeft();
    const LaidLine laid = layoutLine(l, false, x);
    return text_.lineStart(l) + std::clamp<Pos>(laid.xToCursor(x), 0, text_.lineLength(l));
}

void TMemo::measureLongest()
{
    if (longestStale_) {
        longest_ = text_.longest();
        longestStale_ = false;
        widthStale_ = true;
        widest_ = 0;
    }
    if (!widthStale_)
        return;
    widthStale_ = false;
    const LaidLine laid = layoutLineAt(std::min(longest_.line, lineCount() - 1), false, 0);
    widest_ = std::max(widest_, static_cast<int>(std::min<qreal>(qCeil(laid.width), 1 << 30)));
}

void TMemo::updateScrollBars()
{
    measureLongest();
    QScrollBar* v = verticalScrollBar();
    const int rows = rowsShown();
    // The last line may come up to the bottom row, as in the toolkit's
    // editors; a list beside the memo may widen the range further.
    const int max = std::max(0, lineCount() - rows);
    // Set only when it changes: a list beside the memo may have widened it
    // to reach as far as the list does (see RowLock).
    if (max != naturalMax_) {
        naturalMax_ = max;
        v->setRange(0, max);
    }
    v->setPageStep(rows);
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    const int cursorWidth = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    h->setRange(0, std::max(0, widest_ + kIndent + cursorWidth - width));
    h->setPageStep(width);
}

void TMemo::ensureCaretVisible()
{
    updateScrollBars();
    QScrollBar* v = verticalScrollBar();
    const int l = caretLine(), top = v->value(), rows = rowsShown();
    if (l < top)
        v->setValue(l);
    else if (l >= top + rows)
        v->setValue(l - rows + 1);
    // A line not yet drawn may be wider than any drawn: the bar must reach
    // the caret.
    const qreal x = caretX(pos_);
    if (x > widest_) {
        widest_ = qCeil(x);
        updateScrollBars();
    }
    QScrollBar* h = horizontalScrollBar();
    const int left = kIndent + qRound(x) - h->value();
    if (left < 0 || left >= viewport()->width())
        h->setValue(kIndent + qRound(x) - viewport()->width() / 2);
}

void TMemo::scrollContentsBy(int, int)
{
    viewport()->update();
    updateMicroFocus();
}

void TMemo::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void TMemo::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        widthStale_ = true;
        widest_ = 0;
        updateScrollBars();
    }
    viewport()->update();
}

void TMemo::repaintCaret()
{
    const int y = (caretLine() - topLine()) * kRowHeight;
    viewport()->update(QRect(0, y, viewport()->width(), kRowHeight));
}

void TMemo::restartBlink()
{
    blink_.stop();
    caretOn_ = hasFocus();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (caretOn_ && flash >= 2)
        blink_.start(flash / 2, this);
    repaintCaret();
}

void TMemo::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect area = e->rect();
    const int top = topLine(), left = textLeft(), width = viewport()->width();
    const int first = top + std::max(0, area.top()) / kRowHeight;
    const int last = std::min(lineCount() - 1, top + area.bottom() / kRowHeight);
    if (last < first)
        return;
    const QPalette pal = palette();
    // The selection in the window's colours while the memo has the focus,
    // in the inactive ones otherwise, as the toolkit's editors draw it.
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextLayout::FormatRange selected;
    selected.format.setForeground(pal.brush(group, QPalette::HighlightedText));
    const Pos from = selectionStart(), to = selectionEnd();
    const int caretAt = caretLine();
    const int cursorWidth = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    // Where a very long line is looked at: the middle of the view.
    const qreal nearX = horizontalScrollBar()->value() + width / 2.0;
    std::vector<LaidLine> laids;
    std::vector<QList<QTextLayout::FormatRange>> formats;
    for (int l = first; l <= last; ++l) {
        const int y = (l - top) * kRowHeight;
        laids.push_back(layoutLine(l, true, nearX));
        const LaidLine& laid = laids.back();
        formats.emplace_back();
        const Pos start = text_.lineStart(l), end = text_.lineEnd(l);
        if (!(from < to && from <= end && to > start))
            continue;
        // The selection's ground fills the row only: the face's own line is
        // taller, and would cover the row below. A selected line break shows
        // as a short box after the line's text.
        int a = static_cast<int>(std::max(from, start) - start);
        int b = static_cast<int>(std::min(to, end) - start);
        if (l == caretAt && !preedit_.isEmpty()) {
            const int column = static_cast<int>(caretColumn());
            const int n = static_cast<int>(preedit_.size());
            a += a >= column ? n : 0;
            b += b >= column ? n : 0;
        }
        const qreal x1 = laid.cursorToX(a);
        qreal x2 = laid.cursorToX(b);
        if (to > end)
            x2 = std::max(x2, laid.width) + kRowHeight / 4.0;
        p.fillRect(QRectF(left + x1, y, x2 - x1, kRowHeight) & QRectF(area), pal.brush(group, QPalette::Highlight));
        selected.start = std::max(0, a - laid.from);
        selected.length = std::max(0, b - laid.from) - selected.start;
        formats.back() << selected;
    }
    p.setPen(pal.text().color());
    bool wider = false;
    for (int l = first; l <= last; ++l) {
        const int y = (l - top) * kRowHeight;
        const LaidLine& laid = laids[static_cast<size_t>(l - first)];
        QTextLayout& layout = *laid.layout;
        const QPointF at(left + laid.left, y);
        layout.draw(&p, at, formats[static_cast<size_t>(l - first)]);
        const bool caret = l == caretAt && caretOn_ && !(preeditHidesCaret_ && !preedit_.isEmpty());
        const bool drop = dropAt_ >= 0 && text_.lineAt(dropAt_) == l;
        if (caret || drop) {
            p.save();
            p.setClipRect(QRect(0, y, width, kRowHeight));
            const int caretColumnHere = static_cast<int>(caretColumn()) - laid.from;
            if (caret && caretColumnHere >= 0)
                layout.drawCursor(&p, at, caretColumnHere + (preedit_.isEmpty() ? 0 : preeditCursor_), cursorWidth);
            const int dropColumn = static_cast<int>(dropAt_ - text_.lineStart(l)) - laid.from;
            if (drop && dropColumn >= 0)
                layout.drawCursor(&p, at, dropColumn, cursorWidth);
            p.restore();
        }
        const int w = static_cast<int>(std::min<qreal>(qCeil(laid.width), 1 << 30));
        if (w > widest_) {
            widest_ = w;
            wider = true;
        }
    }
    if (wider)
        QTimer::singleShot(0, this, [this] { updateScrollBars(); });
}

}  // namespace renaming
