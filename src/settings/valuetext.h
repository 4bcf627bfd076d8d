// How the settings file writes and reads its values: Booleans as "1" and
// "0", integers in decimal, strings unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace settings {

// Reads an integer as the settings file writes and accepts them: blanks
// before, an optional sign, then decimal digits that fit 32 bits, or after
// "$", "x", "X", "0x" or "0X" one to eight hexadecimal digits taken as a
// 32-bit pattern; the whole text must be used. Otherwise `def`.
int32_t parseInteger(std::string_view text, int32_t def);

// A Boolean is read as an integer: 0 is false, anything else true.
inline bool parseBoolean(std::string_view text, bool def) { return parseInteger(text, def) != 0; }

// Decimal, with a "-" when negative and no "+" or leading zeros.
inline std::string integerText(int32_t v) { return std::to_string(v); }
inline std::string booleanText(bool v) { return v ? "1" : "0"; }

}  // namespace settings
