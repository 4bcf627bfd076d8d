#include "filedialog/browsetarget.h"

#include "filedialog/specialdirs.h"
#include "platform/fs.h"

namespace nx {

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

}  // namespace nx
