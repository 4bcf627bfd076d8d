#include "platform/fdio.h"

#include "platform/syscalls.h"

#include <cerrno>

namespace platform {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t w = sys().write(fd, bytes.data(), bytes.size());
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(w));
    }
    return true;
}

bool readAll(int fd, std::string& out)
{
    char buf[8192];
    for (;;) {
        const ssize_t n = sys().read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buf, static_cast<size_t>(n));
    }
}

}  // namespace platform
