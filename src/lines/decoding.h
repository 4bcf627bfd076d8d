// The text of a file of names, whatever wrote it: the encoding is taken from
// a byte-order mark (UTF-8, UTF-16 LE or BE), else it is UTF-8 when every
// byte is well-formed UTF-8, else Shift-JIS (CP932, as a spreadsheet saves
// CSV on Japanese Windows).
#pragma once

#include "lines/lines.h"

#include <optional>
#include <string_view>

namespace lines {

enum class Encoding { utf8Bom, utf16le, utf16be, utf8, cp932 };

struct Decoded {
    Encoding encoding = Encoding::utf8;
    Text text;  // without the byte-order mark
};

enum class DecodeProblem {
    nul,  // a NUL byte outside UTF-16, or a NUL character: no text file of names
};

// Bytes no character of the encoding can be made of become U+FFFD.
struct DecodeResult {
    std::optional<Decoded> decoded;
    std::optional<DecodeProblem> problem;
};

DecodeResult decodeText(std::string_view bytes);

}  // namespace lines
