// Shortening a folder path for a line of limited width: leading folders give
// way to ".../" one at a time, and at last only the name part is kept.
#pragma once

#include "platform/codepage.h"

#include <functional>
#include <string>

namespace nx {

// Measures the pixel width of a text (bytes in the system code page).
using TextWidth = std::function<int(const std::string&)>;

// Removes the first folder of the folder part `s` (which ends in "/"),
// putting ".../" in its place: "/aaa/bbb/" gives "/.../bbb/", and
// "/.../bbb/" gives "/.../". A lone "/" and a last folder give empty.
void CutFirstFolder(std::string& s, platform::CodePage cp);

// `path` when it fits `maxWidth`; otherwise leading folders are replaced by
// ".../" until it fits, then the root goes, then only the name is left.
std::string ShortenPath(const std::string& path, const TextWidth& width, int maxWidth,
                        platform::CodePage cp);

}  // namespace nx
