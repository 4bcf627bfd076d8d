#include "rename/shiftcheck.h"

#include "rename/namerule.h"

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

void ShiftCheck::add(const std::string& name, const std::string& line)
{
    const auto n = onlyNumber(baseOf(name, cp_), cp_);
    const auto l = n ? onlyNumber(line, cp_) : std::nullopt;
    if (!l)
        return;
    ++counted_;
    if (*n >= 0 && *l >= 0)
        ++byDifference_[*l - *n];
}

bool ShiftCheck::shifted() const
{
    if (counted_ < 5)
        return false;
    for (const auto& [difference, n] : byDifference_)
        if (difference != 0 && n * 5 >= counted_ * 4)
            return true;
    return false;
}

}  // namespace renaming
