#include "platform/fileops.h"

#include "platform/foldersync.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

bool isReadOnly(int dirFd, const std::string& name)
{
    struct stat st {};
    if (name.empty() || !acceptableName(name) || sys().fstatat(dirFd, name.c_str(), &st, 0) != 0)
        return false;
    return !S_ISDIR(st.st_mode) && isReadOnlyMode(st.st_mode);
}

bool isReadOnly(const std::string& path) { return isReadOnly(AT_FDCWD, path); }

Status deleteFile(int dirFd, const std::string& name)
{
    if (name.empty())
        return Status::failure(ENOENT);
    if (!acceptableName(name))
        return Status::failure(EINVAL);
    if (isReadOnly(dirFd, name))
        return Status::failure(EACCES);
    return removeOwnFile(dirFd, name);
}

Status deleteOriginal(int dirFd, const std::string& name)
{
    if (const Status s = syncFolder(dirFd); !s)
        return s;
    return deleteFile(dirFd, name);
}

Status removeOwnFile(int dirFd, const std::string& name)
{
    if (name.empty())
        return Status::failure(ENOENT);
    if (!acceptableName(name))
        return Status::failure(EINVAL);
    if (sys().unlinkat(dirFd, name.c_str(), 0) != 0)
        return Status::lastError();
    return {};
}

Status deleteFile(const std::string& path) { return deleteFile(AT_FDCWD, path); }

}  // namespace platform
