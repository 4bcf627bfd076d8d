#include "platform/uniquefd.h"

#include "platform/failure.h"
#include "platform/syscalls.h"

#include <cerrno>

namespace platform {

void UniqueFd::reset(int fd) noexcept
{
    if (fd_ >= 0 && fd_ != fd) {
        const int saved = errno;
        sys().close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

bool UniqueFd::close(int* err) noexcept
{
    const int fd = release();
    if (fd < 0)
        return true;
    return sys().close(fd) == 0 || fail(err, errno);
}

}  // namespace platform
