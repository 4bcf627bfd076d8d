#include "rename/namefilter.h"

#include <fnmatch.h>

namespace renaming {

namespace {

// The separators in either code page: ";", the blanks, and the full-width
// semicolon and ideographic space.
size_t separatorLength(std::string_view s, size_t at, platform::CodePage cp)
{
    const char c = s[at];
    if (c == ';' || c == ' ' || c == '\t')
        return 1;
    static constexpr std::string_view utf8[] = {"\xEF\xBC\x9B", "\xE3\x80\x80"};
    static constexpr std::string_view cp932[] = {"\x81\x47", "\x81\x40"};
    const std::string_view rest = s.substr(at);
    for (std::string_view wide : cp == platform::CodePage::utf8 ? utf8 : cp932)
        if (rest.starts_with(wide))
            return wide.size();
    return 0;
}

}  // namespace

NameFilter::NameFilter(std::string_view text, platform::CodePage cp) : text_(text)
{
    std::string pattern;
    for (size_t at = 0; at < text.size();) {
        if (const size_t sep = separatorLength(text, at, cp)) {
            if (!pattern.empty())
                patterns_.push_back(std::move(pattern));
            pattern.clear();
            at += sep;
            continue;
        }
        // Whole characters, so that a separator is never found in the
        // second byte of a double-byte one.
        const size_t n = platform::charLength(text, at, cp);
        pattern.append(text.substr(at, n));
        at += n;
    }
    if (!pattern.empty())
        patterns_.push_back(std::move(pattern));
}

bool NameFilter::matches(const char* name) const
{
    if (patterns_.empty())
        return true;
    for (const auto& p : patterns_)
        if (::fnmatch(p.c_str(), name, FNM_CASEFOLD) == 0)
            return true;
    return false;
}

}  // namespace renaming
