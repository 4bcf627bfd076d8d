// The renaming core's own words, byte for byte.
#pragma once

namespace renaming::msg {

// list index out of range
inline constexpr const char* kListIndexFormat = "リストのインデックスが範囲を超えています (%d)";

}  // namespace renaming::msg
