#include "filedialog/folderentries.h"

#include "filedialog/folderpath.h"
#include "platform/fs.h"
#include "platform/makefolder.h"

#include <cerrno>

namespace nx {

bool listFolder(const std::string& path, bool includeFiles, std::vector<FolderEntry>& out,
                int* err)
{
    // A folder that cannot be looked at is simply not offered.
    const platform::Status read = platform::forEachEntry(
        path,
        [&](const char* n, size_t, platform::EntryKind kind) {
            if (kind == platform::EntryKind::directory && n[0] != '.')
                out.push_back({n, true});
            else if (kind == platform::EntryKind::plain && includeFiles)
                out.push_back({n, false});
        },
        false);
    if (!read && err)
        *err = read.error();
    return read.ok();
}

bool makeFolder(const std::string& parent, const std::string& name, int* err)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        if (err)
            *err = EINVAL;
        return false;
    }
    // An existing entry is never replaced: EEXIST tells the caller.
    const platform::Status s = platform::makeFolder(joinPath(parent, name));
    if (!s && err)
        *err = s.error();
    return s.ok();
}

}  // namespace nx
