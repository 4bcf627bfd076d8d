#include "platform/regularfile.h"

#include "platform/fdio.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

Result<UniqueFd> openChecked(int dirFd, const char* path, struct stat& st)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    UniqueFd fd(sys().openat(dirFd, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd)
        return Status::lastError();
    if (sys().fstat(fd.get(), &st) != 0)
        return Status::lastError();
    if (!S_ISREG(st.st_mode))
        return Status::failure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return fd;
}

}  // namespace

Result<UniqueFd> openRegular(int dirFd, const std::string& name, struct stat* st)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return Status::failure(ENOENT);
    struct stat local {};
    return openChecked(dirFd, name.c_str(), st ? *st : local);
}

std::string pathOfOpenFile(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

Status readRegularFile(const std::string& path, size_t limit, std::string& out)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return Status::failure(ENOENT);
    struct stat st {};
    Result<UniqueFd> opened = openChecked(AT_FDCWD, path.c_str(), st);
    if (!opened)
        return opened.status();
    const UniqueFd fd = std::move(opened).value();
    if (static_cast<unsigned long long>(st.st_size) > limit)
        return Status::failure(EFBIG);
    // One byte more than the limit tells a file that grew meanwhile.
    std::string bytes(std::min(static_cast<size_t>(st.st_size), limit) + 1, '\0');
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > limit)
                return Status::failure(EFBIG);
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        const Result<size_t> n = preadAll(fd.get(), bytes.data() + got, bytes.size() - got,
                                          static_cast<off_t>(got));
        if (!n)
            return n.status();
        got += *n;
        if (got < bytes.size())
            break;
    }
    if (got > limit)
        return Status::failure(EFBIG);
    bytes.resize(got);
    out = std::move(bytes);
    return {};
}

}  // namespace platform
