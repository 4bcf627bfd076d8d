#include "filedialog/folderpath.h"

#include <vector>

namespace nx {

std::string normalizePath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        const std::string part = path.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const auto& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

bool isWithin(const std::string& path, const std::string& base)
{
    if (base == "/")
        return !path.empty() && path[0] == '/';
    return path.size() >= base.size() && path.compare(0, base.size(), base) == 0 &&
           (path.size() == base.size() || path[base.size()] == '/');
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string lastComponent(const std::string& path)
{
    if (path == "/")
        return path;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace nx
