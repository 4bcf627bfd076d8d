// The settings file: the five settings values and the main window's outer
// bounds, read once when the window is made and written once when it closes.
#pragma once

#include "settings/values.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace settings {

// The main window's outer bounds in screen pixels.
struct Bounds {
    int32_t left = 217;
    int32_t top = 172;
    int32_t width = 851;
    int32_t height = 596;
    bool operator==(const Bounds&) const = default;
};

// Reads an integer as the settings file writes and accepts them: blanks
// before, an optional sign, then decimal digits that fit 32 bits, or after
// "$", "x", "X", "0x" or "0X" one to eight hexadecimal digits taken as a
// 32-bit pattern; the whole text must be used. Otherwise `def`.
int32_t parseInteger(std::string_view text, int32_t def);

// What the load gives the window.
struct Loaded {
    std::optional<Bounds> bounds;  // only when WinMem is set
    bool maximised = false;
};

// Fills `v` from the file at `path` (defaults for whatever is missing) and
// says where the window goes. `design` gives the defaults of the bounds.
Loaded load(const std::string& path, Values& v, const Bounds& design = Bounds{});

// Writes `v`, and `bounds` when the window is in its normal state, to the
// file at `path`. Raises ToolkitError "<path> に書き込めません" at the first
// key that cannot be written; the keys before it stay written.
void save(const std::string& path, const Values& v, const std::optional<Bounds>& bounds);

}  // namespace settings
