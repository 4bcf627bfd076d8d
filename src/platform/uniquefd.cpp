#include "platform/uniquefd.h"

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

Status UniqueFd::close() noexcept
{
    const int fd = release();
    if (fd < 0 || sys().close(fd) == 0)
        return {};
    return Status::lastError();
}

}  // namespace platform
