// The order of names as the user's language orders them: letter case
// ignored, and runs of digits compared as text or by their value. Names are
// ordered by keys, one per name made once, so that a million names cost a
// million keys, not a collation per comparison.
#pragma once

#include "platform/codepage.h"

#include <memory>
#include <string>
#include <string_view>

namespace renaming {

// How runs of digits compare: "file10" after "file2" only by value.
enum class Digits { asText, byValue };

class Collation {
public:
    // The collation of `locale` (a collation locale such as "ja_JP"; "" is
    // the order common to every language) for names in code page `cp`.
    Collation(const std::string& locale, Digits digits, platform::CodePage cp);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;

    // Appends the key of `name` to `keys`. Names compare as their keys do
    // byte by byte, a key that is the start of another first; names the
    // collation takes for equal ("a.txt", "A.txt") have equal keys.
    void appendKey(std::string_view name, std::string& keys) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace renaming
