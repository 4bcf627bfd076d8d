#include "platform/foldersync.h"

#include "platform/failure.h"
#include "platform/syscalls.h"
#include "platform/uniquefd.h"

#include <fcntl.h>

#include <cerrno>

namespace platform {

namespace {

bool syncOpen(const UniqueFd& fd, int* err)
{
    if (!fd || sys().fsync(fd.get()) == 0)
        return true;
    const int e = errno;
    return !(e == EIO || e == ENOSPC || e == EDQUOT) || fail(err, e);
}

}  // namespace

bool syncFolder(int dirFd, int* err)
{
    return syncOpen(UniqueFd(sys().openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)), err);
}

bool syncFolder(const std::string& path, int* err)
{
    return syncOpen(UniqueFd(sys().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), err);
}

}  // namespace platform
