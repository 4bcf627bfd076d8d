#include "platform/folder.h"

#include "platform/failure.h"
#include "platform/fs.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {
constexpr int kOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
}

FolderHandle FolderHandle::adopt(int raw, std::string path, int* err)
{
    UniqueFd fd(raw);
    if (!fd) {
        fail(err, errno);
        return {};
    }
    struct stat st {};
    if (sys().fstat(fd.get(), &st) != 0) {
        fail(err, errno);
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        fail(err, ENOTDIR);
        return {};
    }
    return FolderHandle(std::move(fd), std::move(path), placeOf(st));
}

FolderHandle FolderHandle::open(const std::string& path, int* err)
{
    if (path.empty()) {
        fail(err, ENOENT);
        return {};
    }
    return adopt(sys().openat(AT_FDCWD, path.c_str(), kOpenFlags), path, err);
}

FolderHandle FolderHandle::current(int* err)
{
    FolderHandle h = adopt(sys().openat(AT_FDCWD, ".", kOpenFlags), {}, err);
    if (h) {
        h.path_ = currentFolder(err);
        if (h.path_.empty())
            return {};
    }
    return h;
}

bool FolderHandle::enter(int* err) const
{
    if (!fd_)
        return fail(err, EBADF);
    return sys().fchdir(fd_.get()) == 0 || fail(err, errno);
}

FolderHandle FolderHandle::duplicate(int* err) const
{
    if (!fd_) {
        fail(err, EBADF);
        return {};
    }
    UniqueFd fd(sys().dupfd(fd_.get()));
    if (!fd) {
        fail(err, errno);
        return {};
    }
    return FolderHandle(std::move(fd), path_, id_);
}

}  // namespace platform
