#include "lines/ui/memolines.h"

#include "rename/ui/memo.h"

namespace lines::ui {

MemoSnapshot snapshotOf(const renaming::TMemo& memo)
{
    MemoSnapshot s;
    const int count = memo.Lines.Count();
    s.lines.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        s.lines.push_back(memo.line(i).toStdU16String());

    if (memo.hasSelection()) {
        const int first = memo.lineAt(memo.selectionStart());
        const int last = memo.lineAt(memo.selectionEnd());
        int end = last + 1;
        // A selection of whole lines ends at the start of the next line,
        // which it does not touch.
        if (memo.selectionEnd() == memo.lineStart(last) && last > first)
            end = last;
        s.selection = LineRange{first, end};
    }
    return s;
}

void applyChanges(renaming::TMemo& memo, const std::vector<LineChange>& changes)
{
    if (changes.empty())
        return;
    renaming::TMemo::Edit edit(memo);
    for (const LineChange& ch : changes)
        edit.replaceLine(ch.line, QStringView(ch.text.data(), static_cast<qsizetype>(ch.text.size())));
}

void replaceAllLines(renaming::TMemo& memo, const std::vector<Text>& lines)
{
    size_t total = 0;
    for (const Text& l : lines)
        total += l.size() + 1;
    renaming::TMemo::Edit edit(memo);
    edit.replaceAll({});
    edit.reserve(static_cast<renaming::TMemo::Pos>(total));
    // A piece at a time, each one change of the one edit.
    QString piece;
    for (const Text& l : lines) {
        piece += QStringView(l.data(), static_cast<qsizetype>(l.size()));
        piece += QLatin1Char('\n');
        if (piece.size() >= (1 << 16)) {
            edit.append(piece);
            piece.clear();
        }
    }
    edit.append(piece);
}

}  // namespace lines::ui
