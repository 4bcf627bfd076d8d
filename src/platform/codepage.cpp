#include "platform/codepage.h"

#include <langinfo.h>

#include <clocale>

#include <cctype>
#include <string>

namespace platform {

CodePage systemCodePage()
{
    std::string cs = nl_langinfo(CODESET);
    for (auto& ch : cs)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (cs == "SHIFT_JIS" || cs == "SJIS" || cs == "CP932" || cs == "WINDOWS-31J" ||
        cs == "SHIFT-JIS")
        return CodePage::cp932;
    return CodePage::utf8;
}

std::string collationLocale()
{
    const char* name = std::setlocale(LC_COLLATE, nullptr);
    std::string id = name ? name : "";
    id = id.substr(0, id.find_first_of(".@"));
    if (id == "C" || id == "POSIX")
        return {};
    return id;
}

size_t charLength(std::string_view s, size_t pos, CodePage cp)
{
    const size_t left = s.size() - pos;
    if (left <= 1)
        return 1;
    const auto b = static_cast<unsigned char>(s[pos]);
    if (cp == CodePage::cp932) {
        // A lead byte takes the next byte only when that is a valid second
        // byte, so "/" or ":" after a stray lead byte is never hidden.
        const auto t = static_cast<unsigned char>(s[pos + 1]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
        return lead && trail ? 2 : 1;
    }
    size_t n;
    if (b < 0xC2)
        return 1;  // ASCII, a stray continuation byte or an overlong lead
    else if (b < 0xE0)
        n = 2;
    else if (b < 0xF0)
        n = 3;
    else if (b < 0xF5)
        n = 4;
    else
        return 1;
    if (n > left)
        return 1;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[pos + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}

namespace {

// In UTF-8 a byte below 0x80 is never part of a longer character: one of
// them is found where it stands.
bool byByte(std::string_view chars, CodePage cp)
{
    if (cp != CodePage::utf8)
        return false;
    for (const char c : chars)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

size_t findFirstChar(std::string_view s, std::string_view chars, CodePage cp, size_t from)
{
    if (byByte(chars, cp))
        return s.find_first_of(chars, from);
    for (size_t i = from; i < s.size();) {
        const size_t n = charLength(s, i, cp);
        if (n == 1 && chars.find(s[i]) != std::string_view::npos)
            return i;
        i += n;
    }
    return std::string_view::npos;
}

size_t findLastChar(std::string_view s, std::string_view chars, CodePage cp)
{
    if (byByte(chars, cp))
        return s.find_last_of(chars);
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size();) {
        const size_t n = charLength(s, i, cp);
        if (n == 1 && chars.find(s[i]) != std::string_view::npos)
            found = i;
        i += n;
    }
    return found;
}

bool endsWithChar(std::string_view s, char c, CodePage cp)
{
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i += charLength(s, i, cp))
        last = i;
    return last != std::string_view::npos && last == s.size() - 1 && s[last] == c;
}

size_t findOnBoundary(std::string_view hay, std::string_view needle, CodePage cp)
{
    if (needle.empty())
        return 0;
    for (size_t i = 0; i + needle.size() <= hay.size(); i += charLength(hay, i, cp))
        if (hay.compare(i, needle.size(), needle) == 0)
            return i;
    return std::string_view::npos;
}

char32_t utf8CodePointAt(std::string_view s, size_t pos, size_t& len)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    size_t n;
    char32_t u;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
        u = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        u = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        u = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() - pos < n)
        return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[pos + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        u = u << 6 | (b & 0x3F);
    }
    if ((n == 3 && u < 0x800) || (n == 4 && (u < 0x10000 || u > 0x10FFFF)) ||
        (u >= 0xD800 && u <= 0xDFFF))
        return 0;
    len = n;
    return u;
}

bool isValidUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t len = 0;
        if (utf8CodePointAt(s, i, len) == 0)
            return false;
        i += len;
    }
    return true;
}

}  // namespace platform
