#include "rename/ui/memo.h"

#include "platform/codepage.h"
#include "rename/ui/messages.h"
#include "rename/ui/rows.h"
#include "widgets/inputpause.h"
#include "widgets/messagebox.h"
#include "widgets/text.h"

#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QTextLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace renaming {

namespace {

constexpr size_t kMaxLineBytes = 4096;
// A paste goes in slices of this many lines, and the event loop turns when
// this much time has gone since it last did.
constexpr int kSliceLines = 16384;
constexpr qsizetype kSliceChars = qsizetype{1} << 20;
constexpr qint64 kTurnAfterMs = 100;

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

// Lines one row of the list apart, whatever the font's own line spacing:
// the face the window names spaces its lines as the list's rows at this
// size, its stand-ins do not (IPAPGothic 18 pixels at 16), and a drift of
// two pixels a line puts the eleventh line beside the tenth entry.
class RowLayout : public QPlainTextDocumentLayout {
public:
    static constexpr qreal kIndent = 2;
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;
    QRectF blockBoundingRect(const QTextBlock& block) const override
    {
        QRectF r = QPlainTextDocumentLayout::blockBoundingRect(block);
        if (r.isNull())
            return r;  // a hidden block
        // The text two pixels in, as the list's. The document has no margin
        // (see TMemo), so the lines are moved in once they are laid out.
        QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            QTextLine line = layout->lineAt(i);
            if (line.x() != kIndent)
                line.setPosition(QPointF(kIndent, line.y()));
        }
        r.setHeight(static_cast<qreal>(kRowHeight) * std::max(1, layout->lineCount()));
        return r;
    }
};

}  // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    auto* doc = new QTextDocument(this);
    doc->setDocumentLayout(new RowLayout(doc));
    // The first line at the top of the view, as the list's first row, also
    // before the memo is scrolled: a margin would push it down at the top
    // only.
    doc->setDocumentMargin(0);
    doc->setDefaultFont(font());
    setDocument(doc);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every edit of the window.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int pos, int, int added) { breakLineSeparators(pos, added); });
}

QString TMemo::plainLines(QString text)
{
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = source->text();
    if (utf8Length(text) > kMaxPasteBytes) {
        widgets::messageBox(widgets::fromUtf8(msg::kPasteTooLarge),
                            widgets::fromUtf8(msg::kPasteCaption),
                            widgets::kMbOk | widgets::kMbIconStop);
        return;
    }
    insertLines(plainLines(text));
}

void TMemo::insertLines(const QString& text)
{
    QTextCursor c = textCursor();
    // The text is plain already: no separator to look for in it.
    fixing_ = true;
    struct Done {
        bool& fixing;
        ~Done() { fixing = false; }
    } done{fixing_};
    std::unique_ptr<widgets::InputPause> pause;
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    c.beginEditBlock();
    c.removeSelectedText();
    for (qsizetype at = 0; at < text.size();) {
        // Slices end after a line feed, so that a CR LF pair stays whole.
        qsizetype end = at;
        for (int lines = 0; lines < kSliceLines && end < text.size(); ++lines) {
            end = text.indexOf(QLatin1Char('\n'), end);
            end = end < 0 ? text.size() : end + 1;
        }
        // Very long lines are cut, though never inside a CR LF pair or a
        // surrogate pair.
        if (end - at > kSliceChars) {
            end = at + kSliceChars;
            if (text[end - 1] == QLatin1Char('\r') || text[end - 1].isHighSurrogate())
                ++end;
        }
        if (at > 0)
            c.joinPreviousEditBlock();
        c.insertText(text.mid(at, end - at));
        c.endEditBlock();
        at = end;
        if (at < text.size() && sinceTurn.elapsed() > kTurnAfterMs) {
            if (!pause)
                pause = std::make_unique<widgets::InputPause>();
            widgets::InputPause::turn();
            sinceTurn.restart();
        }
    }
    if (text.isEmpty())
        c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
}

void TMemo::breakLineSeparators(int pos, int added)
{
    if (fixing_ || added <= 0)
        return;
    fixing_ = true;
    QTextDocument* doc = document();
    const int end = pos + added;
    for (QTextBlock b = doc->findBlock(pos); b.isValid() && b.position() < end; b = b.next()) {
        const QString text = b.text();
        for (qsizetype at = text.indexOf(QChar::LineSeparator); at >= 0;
             at = text.indexOf(QChar::LineSeparator, at + 1)) {
            // The break replaces the separator one for one, so the
            // positions of the rest of this block stay as they were.
            QTextCursor c(doc);
            c.setPosition(b.position() + static_cast<int>(at));
            c.setPosition(b.position() + static_cast<int>(at) + 1, QTextCursor::KeepAnchor);
            c.insertBlock();
        }
    }
    fixing_ = false;
}

int TMemoLines::Count() const
{
    const QTextDocument* doc = memo_.document();
    int n = doc->blockCount();
    // A line break at the very end starts no further line.
    if (n > 0 && doc->lastBlock().text().isEmpty())
        --n;
    return n;
}

int TMemoLines::Filled() const
{
    // Walks back over the empty lines at the end only.
    int n = memo_.document()->blockCount();
    for (QTextBlock b = memo_.document()->lastBlock(); b.isValid() && b.length() <= 1; b = b.previous())
        --n;
    return n;
}

namespace {

// A line's text as bytes, cut to the longest line there may be.
std::string lineBytes(const QString& text)
{
    std::string line = widgets::toBytes(text);
    if (line.size() > kMaxLineBytes) {
        const auto cp = platform::systemCodePage();
        size_t end = 0;
        while (end < line.size()) {
            const size_t n = platform::charLength(line, end, cp);
            if (end + n > kMaxLineBytes)
                break;
            end += n;
        }
        line.resize(end);
    }
    return line;
}

}  // namespace

std::string TMemoLines::operator[](int i) const
{
    if (i < 0 || i >= Count())
        return {};
    return lineBytes(memo_.document()->findBlockByNumber(i).text());
}

std::vector<std::string> TMemoLines::First(int count) const
{
    std::vector<std::string> lines;
    count = std::min(count, Count());
    lines.reserve(static_cast<size_t>(std::max(count, 0)));
    // One walk along the lines, not a search for each.
    for (QTextBlock b = memo_.document()->begin(); b.isValid() && static_cast<int>(lines.size()) < count;
         b = b.next())
        lines.push_back(lineBytes(b.text()));
    return lines;
}

void TMemoLines::Clear() { memo_.clear(); }

void TMemoLines::Add(const std::string& text)
{
    QString all = memo_.toPlainText();
    if (!all.isEmpty() && !all.endsWith(QLatin1Char('\n')))
        all += QLatin1Char('\n');
    all += TMemo::plainLines(widgets::fromBytes(text));
    all += QLatin1Char('\n');
    memo_.setPlainText(all);
}

void TMemoLines::Assign(const std::vector<std::string>& lines)
{
    size_t total = 0;
    for (const auto& l : lines)
        total += l.size() + 1;
    std::string all;
    all.reserve(total);
    for (const auto& l : lines) {
        all += l;
        all += '\n';
    }
    AssignJoined(all);
}

void TMemoLines::AssignJoined(const std::string& joined)
{
    // Already plain: the memo need not look for separators in a long text.
    const QString text = TMemo::plainLines(widgets::fromBytes(joined));
    memo_.fixing_ = true;
    memo_.setPlainText(text);
    memo_.fixing_ = false;
}

}  // namespace renaming
