// A warning, never a refusal: whether the typed lines look shifted against
// the files they pair with, as when a line was left out or one too many was
// typed near the top, so that every line's number is one off its file's.
#pragma once

#include "platform/codepage.h"

#include <cstdint>
#include <map>
#include <string>

namespace renaming {

// Whether lines look shifted against the names they pair with, told pair by
// pair (entry i with line i) as a plan reads them: shifted() is true when,
// among at least five pairs whose name without its extension and whose line
// each hold exactly one run of digits, at least 80 % differ by one and the
// same amount other than zero. Digits are the ASCII ones and their
// full-width forms.
class ShiftCheck {
public:
    explicit ShiftCheck(platform::CodePage cp) : cp_(cp) {}
    void add(const std::string& name, const std::string& line);
    bool shifted() const;

private:
    platform::CodePage cp_;
    int counted_ = 0;
    std::map<int64_t, int> byDifference_;
};

}  // namespace renaming
