// Rows of a text, CSV or TSV file of names. CSV and TSV follow RFC 4180:
// a field in double quotes may hold the separator, line breaks and doubled
// quotes. Records end at CR LF, LF or CR; a last line break starts no
// further record.
#pragma once

#include "lines/lines.h"

#include <vector>

namespace lines {

using Row = std::vector<Text>;

// The lines of a plain text: every line break (CR LF, LF, CR, and the
// breaks the editor shows: VT, FF, NEL, U+2028, U+2029) ends a line.
std::vector<Text> splitLines(const Text& text);

// The records of a CSV (`separator` ",") or TSV ("\t") text. A row may have
// fewer or more fields than the others.
std::vector<Row> parseTable(const Text& text, char16_t separator);

// A field's text as one line: each line break inside it (a quoted field can
// hold them) becomes a space.
Text asOneLine(const Text& field);

}  // namespace lines
