#include "rename/folderondisk.h"

#include "platform/fileops.h"
#include "platform/nameinfo.h"

namespace renaming {

FolderOnDisk::FolderOnDisk(int dirFd) : dir_(dirFd), nameMax_(platform::nameMax(dirFd)) {}

NameState FolderOnDisk::state(const std::string& name) const
{
    switch (platform::nameKind(dir_, name)) {
    case platform::NameKind::missing:
        return NameState::missing;
    case platform::NameKind::regular:
        return NameState::regular;
    case platform::NameKind::other:
        return NameState::other;
    }
    return NameState::other;
}

bool FolderOnDisk::readOnly(const std::string& name) const { return platform::isReadOnly(dir_, name); }

}  // namespace renaming
