#include "rename/shiftcheck.h"

#include "rename/namerule.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

namespace renaming {

namespace {

// The digit at `at` (0 to 9) and its length in bytes, or nothing.
std::optional<int> digitAt(std::string_view s, size_t at, platform::CodePage cp, size_t& len)
{
    const auto b = static_cast<unsigned char>(s[at]);
    if (b >= '0' && b <= '9') {
        len = 1;
        return b - '0';
    }
    const std::string_view rest = s.substr(at);
    if (cp == platform::CodePage::utf8) {
        // U+FF10 to U+FF19
        if (rest.size() >= 3 && rest[0] == '\xEF' && rest[1] == '\xBC') {
            const auto t = static_cast<unsigned char>(rest[2]);
            if (t >= 0x90 && t <= 0x99) {
                len = 3;
                return t - 0x90;
            }
        }
    } else if (rest.size() >= 2 && rest[0] == '\x82') {
        const auto t = static_cast<unsigned char>(rest[1]);
        if (t >= 0x4F && t <= 0x58) {
            len = 2;
            return t - 0x4F;
        }
    }
    return std::nullopt;
}

// The one run of digits in `s`: its value, or -1 for a run too long to
// compare; nothing when `s` holds no run or more than one.
std::optional<int64_t> onlyNumber(std::string_view s, platform::CodePage cp)
{
    std::optional<int64_t> value;
    bool inRun = false;
    int significant = 0;
    for (size_t at = 0; at < s.size();) {
        size_t len = 0;
        const std::optional<int> d = digitAt(s, at, cp, len);
        if (!d) {
            inRun = false;
            at += platform::charLength(s, at, cp);
            continue;
        }
        if (!inRun) {
            if (value)
                return std::nullopt;  // a second run
            inRun = true;
            value = 0;
            significant = 0;
        }
        if (*value >= 0 && (significant > 0 || *d > 0)) {
            // Eighteen digits always fit; a longer number is one of a kind.
            if (++significant > 18)
                value = -1;
            else
                value = *value * 10 + *d;
        }
        at += len;
    }
    return value;
}

}  // namespace

bool linesLookShifted(const std::vector<std::string>& names, const std::vector<std::string>& lines,
                      platform::CodePage cp)
{
    return linesLookShifted(names, [&lines](size_t i) { return lines[i]; }, lines.size(), cp);
}

bool linesLookShifted(const std::vector<std::string>& names, const std::function<std::string(size_t)>& lineAt,
                      size_t lines, platform::CodePage cp)
{
    const size_t pairs = std::min(names.size(), lines);
    int counted = 0;
    std::map<int64_t, int> byDifference;
    for (size_t i = 0; i < pairs; ++i) {
        const auto name = onlyNumber(baseOf(names[i], cp), cp);
        const auto line = name ? onlyNumber(lineAt(i), cp) : std::nullopt;
        if (!line)
            continue;
        ++counted;
        if (*name >= 0 && *line >= 0)
            ++byDifference[*line - *name];
    }
    if (counted < 5)
        return false;
    for (const auto& [difference, n] : byDifference)
        if (difference != 0 && n * 5 >= counted * 4)
            return true;
    return false;
}

}  // namespace renaming
