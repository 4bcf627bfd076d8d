#include "platform/folder.h"

#include "platform/fs.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {
constexpr int kOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
}

Result<FolderHandle> FolderHandle::adopt(int raw, std::string path)
{
    UniqueFd fd(raw);
    if (!fd)
        return Status::lastError();
    struct stat st {};
    if (sys().fstat(fd.get(), &st) != 0)
        return Status::lastError();
    if (!S_ISDIR(st.st_mode))
        return Status::failure(ENOTDIR);
    return FolderHandle(std::move(fd), std::move(path), placeOf(st));
}

Result<FolderHandle> FolderHandle::open(const std::string& path)
{
    if (path.empty())
        return Status::failure(ENOENT);
    return adopt(sys().openat(AT_FDCWD, path.c_str(), kOpenFlags), path);
}

Result<FolderHandle> FolderHandle::current()
{
    Result<FolderHandle> h = adopt(sys().openat(AT_FDCWD, ".", kOpenFlags), {});
    if (h) {
        Result<std::string> path = currentFolder();
        if (!path)
            return path.status();
        h->path_ = std::move(path).value();
    }
    return h;
}

Status FolderHandle::enter() const
{
    if (!fd_)
        return Status::failure(EBADF);
    return sys().fchdir(fd_.get()) == 0 ? Status() : Status::lastError();
}

Result<FolderHandle> FolderHandle::duplicate() const
{
    if (!fd_)
        return Status::failure(EBADF);
    UniqueFd fd(sys().dupfd(fd_.get()));
    if (!fd)
        return Status::lastError();
    return FolderHandle(std::move(fd), path_, id_);
}

}  // namespace platform
