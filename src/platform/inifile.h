// The profile (INI) file engine: sections in brackets, key=value lines.
//
// Reading: section and key names match with ASCII letters compared without
// regard to case and surrounding blanks ignored; a section name runs to the
// last "]" of its line; the first "=" splits key from value; blanks around a
// value are dropped, then one pair of matching quotes around it; the first
// of duplicate sections or keys counts; LF, CR LF and CR line ends are all
// read. Writing: a key's value is replaced where it stands, a missing key
// goes after the last non-blank line of its section, a missing section at
// the end of the file; every other line is kept byte for byte; every line
// ends in CR LF; no byte-order mark. Bytes are never re-encoded.
#pragma once

// The file's writing and the folders it may need, which callers of the
// engine reach through this header.
#include "platform/durablefile.h"
#include "platform/makefolder.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

class IniFile {
public:
    // The longest value a read returns, in bytes.
    static constexpr size_t kMaxValue = 2047;

    // Reads the file at `path`; a missing file reads as an empty one.
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value of `key` in `section`, or `def` when either is missing.
    // "key=" reads as the empty string.
    std::string read(std::string_view section, std::string_view key,
                     std::string_view def) const;

    // Sets `key` in `section` to `value` and puts the whole file on the disk
    // before returning. A value holding a line break is written empty: it
    // would otherwise add lines of its own to the file. Returns false, with
    // `err` set, when the file cannot be written; the file is then as it was.
    bool write(std::string_view section, std::string_view key, std::string_view value,
               int* err = nullptr);

    // The file's text as it would be written now.
    std::string text() const;

private:
    std::string path_;
    std::vector<std::string> lines_;  // without their line ends
    int readError_ = 0;               // why an existing file could not be read
};

}  // namespace platform
