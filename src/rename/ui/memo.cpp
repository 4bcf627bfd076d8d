#include "rename/ui/memo.h"

#include "platform/codepage.h"
#include "widgets/text.h"

#include <QTextBlock>
#include <QTextDocument>

namespace renaming {

namespace {
constexpr size_t kMaxLineBytes = 4096;
}

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every edit of the window.
    setTabChangesFocus(true);
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

std::string TMemoLines::operator[](int i) const
{
    if (i < 0 || i >= Count())
        return {};
    std::string line = widgets::toBytes(memo_.document()->findBlockByNumber(i).text());
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

void TMemoLines::Clear() { memo_.clear(); }

void TMemoLines::Add(const std::string& text)
{
    QString all = memo_.toPlainText();
    if (!all.isEmpty() && !all.endsWith(QLatin1Char('\n')))
        all += QLatin1Char('\n');
    all += widgets::fromBytes(text);
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
    memo_.setPlainText(widgets::fromBytes(all));
}

}  // namespace renaming
