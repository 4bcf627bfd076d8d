#include "lines/table.h"

#include "lines/unicodetext.h"

namespace lines {

std::vector<Text> splitLines(const Text& text)
{
    std::vector<Text> out;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!breaksLine(text[i]))
            continue;
        out.emplace_back(text, start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out.emplace_back(text, start, Text::npos);
    return out;
}

std::vector<Row> parseTable(const Text& text, char16_t sep)
{
    std::vector<Row> rows;
    Row row;
    Text field;
    bool quoted = false;      // inside a quoted field
    bool fieldStart = true;   // nothing of this field read yet
    bool rowStarted = false;  // anything of this record read
    auto endField = [&] {
        row.push_back(std::move(field));
        field.clear();
        fieldStart = true;
    };
    auto endRow = [&] {
        endField();
        rows.push_back(std::move(row));
        row.clear();
        rowStarted = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'"' && fieldStart) {
            quoted = true;
            fieldStart = false;
            rowStarted = true;
        } else if (c == sep) {
            endField();
            rowStarted = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endRow();
        } else {
            // A quote inside an unquoted field, or text after a closing
            // quote, is kept as it is: what a spreadsheet would show.
            field += c;
            fieldStart = false;
            rowStarted = true;
        }
    }
    if (rowStarted || !field.empty() || !row.empty())
        endRow();
    return rows;
}

Text asOneLine(const Text& field)
{
    Text out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (breaksLine(field[i])) {
            if (field[i] == u'\r' && i + 1 < field.size() && field[i + 1] == u'\n')
                ++i;
            out += u' ';
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace lines
