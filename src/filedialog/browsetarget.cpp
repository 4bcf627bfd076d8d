#include "filedialog/browsetarget.h"

#include "filedialog/specialdirs.h"
#include "platform/fs.h"
#include "platform/syscalls.h"

#include <cerrno>
#include <cstring>

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

FolderTarget resolveFolderTarget(const std::string& path, TnxBFSpecialDir special,
                             const SpecialDirs& dirs)
{
    if (special == sfNone) {
        // Only an absolute path can name a folder: "\" and relative paths
        // fall back to the top, whatever the current folder holds.
        if (!path.empty() && path[0] == '/') {
            const std::string p = normalizePath(path);
            if (platform::isFolder(p))
                return {FolderTarget::Kind::path, p};
        }
        return {FolderTarget::Kind::top, {}};
    }
    if (special == sfDesktop)
        return {FolderTarget::Kind::top, {}};
    const auto p = dirs.pathOf(special);
    if (p && !p->empty() && (*p)[0] == '/') {
        const std::string n = normalizePath(*p);
        if (platform::isFolder(n))
            return {FolderTarget::Kind::path, n};
    }
    return {FolderTarget::Kind::none, {}};
}

bool listFolder(const std::string& path, bool includeFiles, std::vector<FolderEntry>& out,
                int* err)
{
    // A folder that cannot be looked at is simply not offered.
    return platform::forEachEntry(
        path,
        [&](const char* n, size_t, platform::EntryKind kind) {
            if (kind == platform::EntryKind::directory && n[0] != '.')
                out.push_back({n, true});
            else if (kind == platform::EntryKind::plain && includeFiles)
                out.push_back({n, false});
        },
        false, err);
}

bool makeFolder(const std::string& parent, const std::string& name, int* err)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        if (err)
            *err = EINVAL;
        return false;
    }
    // mkdir never replaces an existing entry: EEXIST tells the caller.
    if (platform::sys().mkdir(joinPath(parent, name).c_str(), 0777) == 0)
        return true;
    if (err)
        *err = errno;
    return false;
}

}  // namespace nx
