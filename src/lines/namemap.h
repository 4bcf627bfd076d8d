// From the rows of a table to the lines of the new-names list: one column
// read as a list of names, or two columns read as a table of current and new
// names, which puts each new name on the line of the entry it names.
#pragma once

#include "lines/table.h"

#include <vector>

namespace lines {

// Column `column` (from 0) of every row after `skip` rows, one line each; a
// row without that column gives an empty line.
std::vector<Text> columnLines(const std::vector<Row>& rows, int column, int skip);

// A listed file as the table may name it: its whole name, and the name
// without its extension.
struct EntryName {
    Text name;
    Text base;
};

// A row that could not be used, with its number in the file (from 1).
struct UnusedRow {
    int row = 0;
    Text name;
    bool operator==(const UnusedRow&) const = default;
};

struct Mapping {
    std::vector<Text> lines;        // one per entry; empty where no row names it
    std::vector<UnusedRow> unknown; // rows that name no entry
    std::vector<UnusedRow> again;   // rows that name an entry an earlier row named
};

// Every row after `skip` rows names an entry in column `from` (its whole
// name, or else its name without the extension, compared in NFC) and gives
// its new name in column `to`. A row whose current name is empty is passed
// over.
Mapping mapNames(const std::vector<Row>& rows, int from, int to, int skip,
                 const std::vector<EntryName>& entries);

}  // namespace lines
