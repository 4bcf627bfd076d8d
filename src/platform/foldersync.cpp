#include "platform/foldersync.h"

#include "platform/syscalls.h"
#include "platform/uniquefd.h"

#include <fcntl.h>

#include <cerrno>

namespace platform {

namespace {

Status syncOpen(const UniqueFd& fd)
{
    if (!fd || sys().fsync(fd.get()) == 0)
        return {};
    const int e = errno;
    return e == EIO || e == ENOSPC || e == EDQUOT ? Status::failure(e) : Status();
}

}  // namespace

Status syncFolder(int dirFd)
{
    return syncOpen(UniqueFd(sys().openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
}

Status syncFolder(const std::string& path)
{
    return syncOpen(UniqueFd(sys().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
}

}  // namespace platform
