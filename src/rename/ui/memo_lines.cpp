// The memo's lines as bytes of the system code page, for the rename and the
// program's other parts.
#include "rename/ui/memo.h"

#include "platform/codepage.h"
#include "widgets/text.h"

namespace renaming {

namespace {

constexpr size_t kMaxLineBytes = 4096;
// Names go into the memo this many units at a time.
constexpr qsizetype kChunk = qsizetype{1} << 16;

// A line's text as bytes, cut to the longest line there may be.
std::string lineBytes(QStringView text, platform::CodePage cp = platform::systemCodePage())
{
    std::string line = widgets::toBytes(QString::fromRawData(text.data(), text.size()), cp);
    if (line.size() > kMaxLineBytes) {
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

int TMemoLines::Count() const
{
    const int n = memo_.lineCount();
    // A line break at the very end starts no further line.
    return memo_.text_.lineLength(n - 1) == 0 ? n - 1 : n;
}

int TMemoLines::Filled() const
{
    int n = memo_.lineCount();
    while (n > 0 && memo_.text_.lineLength(n - 1) == 0)
        --n;
    return n;
}

std::string TMemoLines::operator[](int i) const
{
    if (i < 0 || i >= Count())
        return {};
    LineStore& text = memo_.text_;
    const std::u16string_view v = text.view(text.lineStart(i), text.lineEnd(i));
    return lineBytes(QStringView(v.data(), static_cast<qsizetype>(v.size())));
}

std::vector<std::string> TMemoLines::First(int count) const
{
    std::vector<std::string> lines;
    count = std::min(count, Count());
    lines.reserve(static_cast<size_t>(std::max(count, 0)));
    LineStore& text = memo_.text_;
    for (int i = 0; i < count; ++i) {
        const std::u16string_view v = text.view(text.lineStart(i), text.lineEnd(i));
        lines.push_back(lineBytes(QStringView(v.data(), static_cast<qsizetype>(v.size()))));
    }
    return lines;
}

LineSnapshot TMemoLines::Snapshot(int count) const { return memo_.text_.snapshot(std::min(count, Count())); }

std::string TMemoLines::Bytes(std::u16string_view line, platform::CodePage cp)
{
    return lineBytes(QStringView(line.data(), static_cast<qsizetype>(line.size())), cp);
}

void TMemoLines::Clear() { memo_.clear(); }

void TMemoLines::Add(const std::string& text)
{
    TMemo::Edit edit(memo_);
    const TMemo::Pos n = memo_.length();
    if (n > 0 && memo_.text_.at(n - 1) != u'\n')
        edit.append(u"\n");
    edit.append(widgets::fromBytes(text) + QLatin1Char('\n'));
}

void TMemoLines::Assign(const std::vector<std::string>& lines)
{
    Assign(lines.size(), [&](size_t i) { return std::string_view(lines[i]); });
}

void TMemoLines::Assign(size_t count, const std::function<std::string_view(size_t)>& lineAt)
{
    const auto cp = platform::systemCodePage();
    TMemo::Edit edit(memo_);
    edit.replaceAll({});
    // A name's bytes are at least as many as its UTF-16 units: room for
    // them all at once.
    TMemo::Pos bytes = 0;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<TMemo::Pos>(lineAt(i).size()) + 1;
    edit.reserve(std::min(bytes, LineStore::kMaxSize));
    // Decoded a piece at a time, straight into the memo.
    QString piece;
    piece.reserve(kChunk + 4096);
    for (size_t i = 0; i < count; ++i) {
        widgets::appendBytes(piece, lineAt(i), cp);
        piece += QLatin1Char('\n');
        if (piece.size() >= kChunk) {
            if (!edit.append(piece))
                return;
            piece.clear();
        }
    }
    edit.append(piece);
}

}  // namespace renaming
