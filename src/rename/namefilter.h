// Which files the current-names list shows: patterns such as "*.jpg;*.jpeg",
// letter case ignored, separated by ";" or blanks; no pattern at all shows
// every file.
#pragma once

#include "platform/codepage.h"

#include <string>
#include <string_view>
#include <vector>

namespace renaming {

class NameFilter {
public:
    NameFilter() = default;
    // The patterns of `text`, bytes in code page `cp`. Full-width ";" and
    // the ideographic space separate as their narrow forms do, as a user
    // typing Japanese may type them.
    explicit NameFilter(std::string_view text,
                        platform::CodePage cp = platform::systemCodePage());

    // The text as the user gave it.
    const std::string& text() const { return text_; }
    bool showsAll() const { return patterns_.empty(); }
    const std::vector<std::string>& patterns() const { return patterns_; }

    // True when `name` matches one of the patterns ("*" any run of
    // characters, "?" one character, "[...]" one of a set), or there are none.
    bool matches(const char* name) const;

private:
    std::string text_;
    std::vector<std::string> patterns_;
};

}  // namespace renaming
