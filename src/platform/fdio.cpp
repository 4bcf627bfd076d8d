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

bool pwriteAll(int fd, std::string_view bytes, off_t offset)
{
    while (!bytes.empty()) {
        const ssize_t w = sys().pwrite(fd, bytes.data(), bytes.size(), offset);
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
        offset += static_cast<off_t>(w);
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

ssize_t preadAll(int fd, char* buf, size_t n, off_t offset)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = sys().pread(fd, buf + got, n - got, offset + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

}  // namespace platform
