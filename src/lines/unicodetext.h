// Unicode helpers the tools share, on ICU: normalisation to NFC, and the
// characters that would break a line in two.
#pragma once

#include "lines/lines.h"

#include <cstddef>
#include <string_view>

namespace lines {

// `text` in Unicode normalisation form C.
Text toNfc(std::u16string_view text);
bool isNfc(std::u16string_view text);

// True for a character that ends a line wherever text is shown or saved as
// lines: CR, LF, VT, FF, NEL, the line and paragraph separators.
bool breaksLine(char16_t c);

// True when `text` holds a line break or a NUL character.
bool holdsBreakOrNul(std::u16string_view text);

// The number of characters (code points) in the first `units` code units.
int charCount(std::u16string_view text, size_t units);

// UTF-8 for a library's message, and back.
Text fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

}  // namespace lines
