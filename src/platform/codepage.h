// Stepping over the characters of a byte string in the system code page, so
// that a scan for "\", "/", "." or ":" never matches the second byte of a
// double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class CodePage {
    utf8,   // UTF-8: the system code page of almost every Linux system
    cp932,  // Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC
};

// The code page of the user's locale (LC_CTYPE): cp932 for a Shift-JIS
// locale, utf8 for everything else.
CodePage systemCodePage();

// The locale the user's names are ordered by (LC_COLLATE) as a collation
// locale: "ja_JP" for "ja_JP.UTF-8", "" (the common order of every
// language) for the C and POSIX locales, whose own order is that of bytes.
std::string collationLocale();

// Number of bytes of the character that starts at `pos` (at least 1, never
// past the end). Bytes that do not form a valid character count as one.
size_t charLength(std::string_view s, size_t pos, CodePage cp);

// Position of the last character of `s` that is one of `chars` (single-byte
// characters only), or npos.
size_t findLastChar(std::string_view s, std::string_view chars, CodePage cp);

// Position of the first such character at or after `from`, or npos.
size_t findFirstChar(std::string_view s, std::string_view chars, CodePage cp, size_t from = 0);

// True when the last character of `s` is the single-byte character `c`.
bool endsWithChar(std::string_view s, char c, CodePage cp);

// Position of the first occurrence of `needle` in `hay` that starts on a
// character boundary, or npos. An empty needle is found at 0.
size_t findOnBoundary(std::string_view hay, std::string_view needle, CodePage cp);

// The code point of the well-formed UTF-8 sequence of two to four bytes that
// starts at `pos`, with its length in `len`; 0 (and `len` untouched) when the
// bytes there are ASCII or no such sequence: cut short, overlong, a surrogate
// or beyond U+10FFFF. Stricter than charLength, which only steps.
char32_t utf8CodePointAt(std::string_view s, size_t pos, size_t& len);

// True when all of `s` is well-formed UTF-8 in that strict sense.
bool isValidUtf8(std::string_view s);

}  // namespace platform
