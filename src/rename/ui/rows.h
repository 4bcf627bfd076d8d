// The list's rows and the memo's lines are drawn this far apart, so that
// entry i of the list is level with line i of the memo.
#pragma once

namespace renaming {

inline constexpr int kRowHeight = 16;

}  // namespace renaming
