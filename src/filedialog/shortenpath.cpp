#include "filedialog/shortenpath.h"

namespace nx {

namespace {
constexpr std::string_view kEllipsis = ".../";
}

void CutFirstFolder(std::string& s, platform::CodePage cp)
{
    if (s == "/") {
        s.clear();
        return;
    }
    const bool rooted = !s.empty() && s[0] == '/';
    if (rooted)
        s.erase(0, 1);
    // Only the marker an earlier step put there is dropped, so that a folder
    // whose name starts with "." is cut as a folder like any other.
    if (s.starts_with(kEllipsis))
        s.erase(0, kEllipsis.size());
    const size_t sep = platform::findFirstChar(s, "/", cp);
    if (sep != std::string::npos)
        s = std::string(kEllipsis) + s.substr(sep + 1);
    else
        s.clear();
    if (rooted)
        s.insert(s.begin(), '/');
}

std::string ShortenPath(const std::string& path, const TextWidth& width, int maxWidth,
                        platform::CodePage cp)
{
    std::string result = path;
    const size_t last = platform::findLastChar(path, "/", cp);
    std::string dir = last == std::string::npos ? std::string() : path.substr(0, last + 1);
    const std::string name = last == std::string::npos ? path : path.substr(last + 1);
    // Folder paths here have no drive: after the last folder has gone, the
    // root "/" goes, then the marker, leaving the name alone.
    while (!dir.empty() && width(result) > maxWidth) {
        if (dir == "/.../")
            dir = std::string(kEllipsis);
        else
            CutFirstFolder(dir, cp);
        result = dir + name;
    }
    return result;
}

}  // namespace nx
