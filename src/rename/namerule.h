// How a typed line becomes a new file name, and which lines are refused.
#pragma once

#include "platform/codepage.h"

#include <string>
#include <string_view>

namespace renaming {

enum class NameRule {
    replace = 0,  // the line replaces the old name
    append = 1,   // the line is joined after the old name
};

// False when the line holds one of \ / : * ? " < > | (double-byte aware).
bool checkFileName(std::string_view line, platform::CodePage cp);

// The text from the last "." of the name to its end, "." included; empty
// when there is none. The search also stops at "\" or ":".
std::string_view extensionOf(std::string_view name, platform::CodePage cp);

// The name without its extension.
std::string_view baseOf(std::string_view name, platform::CodePage cp);

// The line without leading and trailing bytes of value 0x20 or less.
std::string_view trimLine(std::string_view line);

// The new name for `oldName` from `line`, or empty when the line gives none.
std::string makeNewFileName(std::string_view oldName, std::string_view line, NameRule rule,
                            platform::CodePage cp);

}  // namespace renaming
