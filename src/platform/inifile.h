// The profile (INI) file engine: sections in brackets, key=value lines.
//
// Reading: section and key names match with single-byte ASCII letters
// compared without regard to case (never the second byte of a double-byte
// character) and surrounding blanks ignored; a section name runs to the
// last "]" of its line; the first "=" splits key from value; blanks around a
// value are dropped, then one pair of matching quotes around it; the first
// of duplicate sections or keys counts; LF, CR LF and CR line ends are all
// read. Writing: a key's value is replaced where it stands, a missing key
// goes after the last non-blank line of its section, a missing section at
// the end of the file; a value that a read would change (blanks at either
// end, a pair of quotes around it) is written between quotes, so that it
// reads back as written; every other line is kept byte for byte; every line
// ends in CR LF; no byte-order mark.
//
// Bytes are not re-encoded, with one exception: a file carried over from a
// system of the other code page (a Shift-JIS file on a UTF-8 system, as the
// Windows profile functions write it) is recognised by the sections its
// owner names, and its foreign lines are read converted. Writes keep such a
// file in its own code page, so that the other system still reads it: lines
// as they were read go back byte for byte, new ones are converted. Only a
// line that the file's code page cannot hold (a folder name outside
// Shift-JIS) makes the engine write the whole file in its own code page.
#pragma once

// The file's writing and the folders it may need, which callers of the
// engine reach through this header.
#include "platform/codepage.h"
#include "platform/durablefile.h"
#include "platform/makefolder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// `text` in code page `from` converted to code page `to`. False when it is
// not valid text in `from` or has a character that `to` lacks.
bool convertText(std::string_view text, CodePage from, CodePage to, std::string& out);

// True when `text` is valid text in code page `cp`.
bool validText(std::string_view text, CodePage cp);

class IniFile {
public:
    // The longest value a read returns, in bytes.
    static constexpr size_t kMaxValue = 2047;

    // Reads the file at `path`; a missing file reads as an empty one. Names
    // match in the system code page.
    explicit IniFile(std::string path);

    // The same with names matched in code page `cp`. A file with lines that
    // are valid only in the other code page may have been carried over from
    // a system that uses it: when such a line, converted, is the section
    // line of one of `ownSections` (names in `cp`), it is the owner's file,
    // and its foreign lines are read converted into `cp`. Lines valid in
    // both code pages count as foreign unless some line is valid only in
    // `cp`; lines valid in neither stay as they are.
    IniFile(std::string path, CodePage cp, const std::vector<std::string>& ownSections);

    const std::string& path() const { return path_; }

    // True when the file was read converted from the other code page.
    bool converted() const { return converted_; }

    // The code page the file is written in: the other one for a file read
    // converted, until a line that page cannot hold has been written.
    CodePage fileCodePage() const { return fileCp_; }

    // The value of `key` in `section`, or `def` when either is missing.
    // "key=" reads as the empty string.
    std::string read(std::string_view section, std::string_view key,
                     std::string_view def) const;

    // True when the file holds `key` in `section`.
    bool has(std::string_view section, std::string_view key) const;

    // Sets `key` in `section` to `value` and puts the whole file on the disk
    // before returning. A value holding a line break is written empty: it
    // would otherwise add lines of its own to the file. A failure when the
    // file cannot be written; the file is then as it was.
    Status write(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes as they would be written now.
    std::string text() const;

private:
    // Where a line's bytes come from when the file is written in the other
    // code page.
    struct Source {
        enum class Kind : uint8_t {
            asRead,     // the bytes as the file held them
            converted,  // read converted: `raw` holds the file's bytes
            written,    // set by a write, in the engine's code page
        };
        Kind kind = Kind::asRead;
        std::string raw;
    };

    void load(const std::vector<std::string>& ownSections);
    // The bytes of `lines`, and the code page they end up in.
    CodePage encode(const std::vector<std::string>& lines, const std::vector<Source>& sources,
                    std::string& out) const;

    std::string path_;
    CodePage cp_;
    CodePage fileCp_;
    std::vector<std::string> lines_;  // without their line ends
    std::vector<Source> sources_;     // one per line while fileCp_ is not cp_
    int readError_ = 0;               // why an existing file could not be read
    bool converted_ = false;
};

}  // namespace platform
