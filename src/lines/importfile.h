// Reading a file of names: a plain text with one name a line, or a CSV or
// TSV table, told apart by the file's extension. A file too large to be a
// list of names, or one that is no text, is refused and nothing is read.
#pragma once

#include "lines/decoding.h"
#include "lines/table.h"

#include <cstddef>
#include <optional>
#include <string>

namespace lines {

enum class FileKind { text, csv, tsv };

// ".csv" is CSV and ".tsv" or ".tab" TSV, in any letter case; the rest text.
FileKind kindOfFile(const std::string& path);

inline constexpr size_t kMaxImportBytes = size_t{64} << 20;

struct ImportProblem {
    enum class Kind { unreadable, tooLarge, notText };
    Kind kind = Kind::unreadable;
    int error = 0;  // errno, for an unreadable file
};

struct ImportedFile {
    FileKind kind = FileKind::text;
    Encoding encoding = Encoding::utf8;
    std::vector<Text> lines;  // a plain text
    std::vector<Row> rows;    // a table
};

struct ImportResult {
    std::optional<ImportedFile> file;
    std::optional<ImportProblem> problem;
};

ImportResult importFile(const std::string& path);

}  // namespace lines
