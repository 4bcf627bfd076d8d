// Every key of the settings file in one table: its section, its name, the
// value it holds, its default and when it is read and written. Load and save
// both walk this table in its order, which is the order of the file a first
// close writes.
#pragma once

#include "settings/messages.h"
#include "settings/values.h"

#include <array>
#include <cstdint>
#include <variant>

namespace settings {

// The main window's outer bounds in screen pixels.
struct Bounds {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Bounds&) const = default;
};

// Where the main window opens, frame included, before any settings are kept.
inline constexpr Bounds kDesignBounds{217, 172, 851, 596};

// When a key takes part in a load or a save.
enum class Rule {
    always,
    // Read only when WinMem is set (read before); written only when the
    // window is in its normal state.
    windowBounds,
    // Written only when it holds another value than its default, or the
    // file holds it already: a file written by a program without the key
    // stays as that program would write it.
    whenSet,
};

// The value a key stands for. A Boolean's and an integer's default is in the
// table; a string's is always empty.
using Field = std::variant<bool Values::*, int32_t Values::*, std::string Values::*,
                           int32_t Bounds::*>;

struct Key {
    const char* section;
    const char* name;
    Field field;
    int32_t def;
    Rule rule;
};

inline constexpr std::array<Key, 12> kKeys{{
    {msg::kSecWinMem, "WinMem", &Values::WinMem, 0, Rule::always},
    {msg::kSecInitMax, "InitMax", &Values::InitMax, 0, Rule::always},
    {msg::kSecBounds, "Top", &Bounds::top, kDesignBounds.top, Rule::windowBounds},
    {msg::kSecBounds, "Left", &Bounds::left, kDesignBounds.left, Rule::windowBounds},
    {msg::kSecBounds, "Height", &Bounds::height, kDesignBounds.height, Rule::windowBounds},
    {msg::kSecBounds, "Width", &Bounds::width, kDesignBounds.width, Rule::windowBounds},
    {msg::kSecRootDirSel, "RootDirSel", &Values::RootDirSel, 0, Rule::always},
    {msg::kSecLastDir, "LastDir", &Values::LastDir, 0, Rule::always},
    {msg::kSecRootDir, "RootDir", &Values::RootDir, 0, Rule::always},
    {msg::kSecSortOrder, "SortOrder", &Values::SortOrder, 0, Rule::whenSet},
    {msg::kSecFileMask, "FileMask", &Values::FileMask, 0, Rule::whenSet},
    {msg::kSecSwapNames, "SwapNames", &Values::SwapNames, 0, Rule::whenSet},
}};

}  // namespace settings
