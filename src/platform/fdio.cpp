#include "platform/fdio.h"

#include "platform/syscalls.h"

#include <cerrno>

namespace platform {

namespace {

// Writes until every byte is out: a short write goes on with the rest, an
// interrupted one is tried again, a write of nothing is an I/O error.
template <class Write>
Status writeLoop(std::string_view bytes, Write write)
{
    while (!bytes.empty()) {
        const ssize_t w = write(bytes);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return Status::lastError();
        }
        if (w == 0)
            return Status::failure(EIO);
        bytes.remove_prefix(static_cast<size_t>(w));
    }
    return {};
}

}  // namespace

Status writeAll(int fd, std::string_view bytes)
{
    return writeLoop(bytes, [fd](std::string_view rest) {
        return sys().write(fd, rest.data(), rest.size());
    });
}

Status pwriteAll(int fd, std::string_view bytes, off_t offset)
{
    const off_t start = offset;
    const size_t total = bytes.size();
    return writeLoop(bytes, [fd, start, total](std::string_view rest) {
        return sys().pwrite(fd, rest.data(), rest.size(),
                            start + static_cast<off_t>(total - rest.size()));
    });
}

Status readAll(int fd, std::string& out)
{
    char buf[8192];
    for (;;) {
        const ssize_t n = sys().read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::lastError();
        }
        if (n == 0)
            return {};
        out.append(buf, static_cast<size_t>(n));
    }
}

Result<size_t> preadAll(int fd, char* buf, size_t n, off_t offset)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = sys().pread(fd, buf + got, n - got, offset + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return Status::lastError();
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return got;
}

}  // namespace platform
