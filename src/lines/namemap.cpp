#include "lines/namemap.h"

#include "lines/unicodetext.h"

#include <unordered_map>

namespace lines {

namespace {

const Text& cell(const Row& row, int column)
{
    static const Text none;
    return column >= 0 && static_cast<size_t>(column) < row.size() ? row[static_cast<size_t>(column)]
                                                                     : none;
}

}  // namespace

std::vector<Text> columnLines(const std::vector<Row>& rows, int column, int skip)
{
    std::vector<Text> out;
    for (size_t r = static_cast<size_t>(std::max(skip, 0)); r < rows.size(); ++r)
        out.push_back(asOneLine(cell(rows[r], column)));
    return out;
}

Mapping mapNames(const std::vector<Row>& rows, int from, int to, int skip,
                 const std::vector<EntryName>& entries)
{
    Mapping m;
    m.lines.resize(entries.size());
    // Whole names first: "a.txt" names the file a.txt even where another
    // file is called a.txt.bak. A name without its extension may stand for
    // several files (a.jpg and a.raw): each gets the new name.
    std::unordered_multimap<Text, size_t> whole, bases;
    for (size_t i = 0; i < entries.size(); ++i) {
        whole.emplace(toNfc(entries[i].name), i);
        bases.emplace(toNfc(entries[i].base), i);
    }
    std::vector<bool> named(entries.size(), false);
    for (size_t r = static_cast<size_t>(std::max(skip, 0)); r < rows.size(); ++r) {
        const Text key = toNfc(asOneLine(cell(rows[r], from)));
        if (key.empty())
            continue;
        auto range = whole.equal_range(key);
        if (range.first == range.second)
            range = bases.equal_range(key);
        const UnusedRow unused{static_cast<int>(r) + 1, key};
        if (range.first == range.second) {
            m.unknown.push_back(unused);
            continue;
        }
        bool any = false;
        for (auto it = range.first; it != range.second; ++it) {
            if (named[it->second])
                continue;
            named[it->second] = true;
            m.lines[it->second] = asOneLine(cell(rows[r], to));
            any = true;
        }
        if (!any)
            m.again.push_back(unused);
    }
    return m;
}

}  // namespace lines
