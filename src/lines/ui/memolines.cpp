#include "lines/ui/memolines.h"

#include "rename/ui/memo.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace lines::ui {

MemoSnapshot snapshotOf(const renaming::TMemo& memo)
{
    MemoSnapshot s;
    const QTextDocument* doc = memo.document();
    const int count = memo.Lines.Count();
    s.lines.reserve(static_cast<size_t>(count));
    for (QTextBlock b = doc->begin(); b.isValid() && static_cast<int>(s.lines.size()) < count; b = b.next())
        s.lines.push_back(b.text().toStdU16String());

    const QTextCursor c = memo.textCursor();
    if (c.hasSelection()) {
        const QTextBlock first = doc->findBlock(c.selectionStart());
        const QTextBlock last = doc->findBlock(c.selectionEnd());
        int end = last.blockNumber() + 1;
        // A selection of whole lines ends at the start of the next line,
        // which it does not touch.
        if (c.selectionEnd() == last.position() && last.blockNumber() > first.blockNumber())
            end = last.blockNumber();
        s.selection = LineRange{first.blockNumber(), end};
    }
    return s;
}

void applyChanges(renaming::TMemo& memo, const std::vector<LineChange>& changes)
{
    if (changes.empty())
        return;
    QTextDocument* doc = memo.document();
    QTextCursor c(doc);
    c.beginEditBlock();
    for (const LineChange& ch : changes) {
        const QTextBlock b = doc->findBlockByNumber(ch.line);
        if (!b.isValid())
            continue;
        c.setPosition(b.position());
        c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        c.insertText(QString::fromStdU16String(ch.text));
    }
    c.endEditBlock();
}

void replaceAllLines(renaming::TMemo& memo, const std::vector<Text>& lines)
{
    size_t total = 0;
    for (const Text& l : lines)
        total += l.size() + 1;
    QString text;
    text.reserve(static_cast<qsizetype>(total));
    for (const Text& l : lines) {
        text += QStringView(l.data(), static_cast<qsizetype>(l.size()));
        text += QLatin1Char('\n');
    }
    QTextCursor c(memo.document());
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.insertText(text);
    c.endEditBlock();
}

}  // namespace lines::ui
