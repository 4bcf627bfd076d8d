#include "support/faultsys.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace testing_support {

const char* FaultSys::kindName(Kind k)
{
    static const char* const names[kindCount] = {"open",   "read",    "write", "link",
                                                  "rename", "sync",    "unlink", "stat",
                                                  "dirRead", "close", "meta",  "folder"};
    return k < kindCount ? names[k] : "any";
}

FaultSys::FaultSys() : inner_(platform::sys()) {}

void FaultSys::failNth(long k, int err, bool sticky) { failNthOf(kindCount, k, err, sticky); }

void FaultSys::failNthOf(Kind kind, long k, int err, bool sticky)
{
    planKind_ = kind;
    // Counted from now, so that a test can arm it after its own setup.
    at_ = k + (kind == kindCount ? total_ : perKind_[kind]);
    err_ = err;
    sticky_ = sticky;
}

void FaultSys::reset()
{
    perKind_.fill(0);
    total_ = faults_ = 0;
    planKind_ = kindCount;
    at_ = 0;
    err_ = 0;
    sticky_ = false;
    writeLimit_ = 0;
    lastFault_.clear();
    calls.clear();
}

int FaultSys::indexOf(const std::string& name) const
{
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i] == name)
            return static_cast<int>(i);
    return -1;
}

bool FaultSys::hit(Kind kind, const char* name)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    calls.emplace_back(name);
    const long nKind = ++perKind_[kind];
    const long nAll = ++total_;
    if (at_ <= 0)
        return false;
    if (planKind_ != kindCount && planKind_ != kind)
        return false;
    const long n = planKind_ == kindCount ? nAll : nKind;
    if (n != at_ && !(sticky_ && n > at_))
        return false;
    ++faults_;
    lastFault_ = std::string(kindName(kind)) + " #" + std::to_string(nKind) + " (call " +
                 std::to_string(nAll) + "): " + std::strerror(err_);
    errno = err_;
    return true;
}

int FaultSys::openat(int dirfd, const char* path, int flags, mode_t mode)
{
    if (hit(kOpen, "openat"))
        return -1;
    return onOpen ? onOpen(dirfd, path, flags, mode) : inner_.openat(dirfd, path, flags, mode);
}

int FaultSys::dupfd(int fd) { return hit(kOpen, "dup") ? -1 : inner_.dupfd(fd); }

int FaultSys::close(int fd)
{
    if (!hit(kClose, "close"))
        return inner_.close(fd);
    const int e = errno;
    inner_.close(fd);  // Linux releases the descriptor even when close fails
    errno = e;
    return -1;
}

ssize_t FaultSys::read(int fd, void* buf, size_t n)
{
    return hit(kRead, "read") ? -1 : inner_.read(fd, buf, n);
}

ssize_t FaultSys::pread(int fd, void* buf, size_t n, off_t offset)
{
    return hit(kRead, "pread") ? -1 : inner_.pread(fd, buf, n, offset);
}

ssize_t FaultSys::write(int fd, const void* buf, size_t n)
{
    if (hit(kWrite, "write"))
        return -1;
    if (writeLimit_ && n > writeLimit_)
        n = writeLimit_;
    return onWrite ? onWrite(fd, buf, n) : inner_.write(fd, buf, n);
}

int FaultSys::fstat(int fd, struct stat* st) { return hit(kStat, "fstat") ? -1 : inner_.fstat(fd, st); }

int FaultSys::fstatat(int dirfd, const char* path, struct stat* st, int flags)
{
    if (hit(kStat, "fstatat"))
        return -1;
    return onFstatat ? onFstatat(dirfd, path, st, flags) : inner_.fstatat(dirfd, path, st, flags);
}

int FaultSys::fchmod(int fd, mode_t mode)
{
    if (hit(kMeta, "fchmod"))
        return -1;
    return onFchmod ? onFchmod(fd, mode) : inner_.fchmod(fd, mode);
}

int FaultSys::futimens(int fd, const struct timespec times[2])
{
    return hit(kMeta, "futimens") ? -1 : inner_.futimens(fd, times);
}

int FaultSys::fsync(int fd)
{
    if (hit(kSync, "fsync"))
        return -1;
    return onFsync ? onFsync(fd) : inner_.fsync(fd);
}

int FaultSys::fdatasync(int fd)
{
    if (hit(kSync, "fdatasync"))
        return -1;
    return onFdatasync ? onFdatasync(fd) : inner_.fdatasync(fd);
}

int FaultSys::ftruncate(int fd, off_t len)
{
    return hit(kWrite, "ftruncate") ? -1 : inner_.ftruncate(fd, len);
}

int FaultSys::fallocate(int fd, int mode, off_t offset, off_t len)
{
    if (hit(kWrite, "fallocate"))
        return -1;
    return onFallocate ? onFallocate(fd, mode, offset, len) : inner_.fallocate(fd, mode, offset, len);
}

int FaultSys::flock(int fd, int operation) { return hit(kMeta, "flock") ? -1 : inner_.flock(fd, operation); }
int FaultSys::ofdLock(int fd, int cmd, struct flock* lock)
{
    return hit(kMeta, "ofd_lock") ? -1 : inner_.ofdLock(fd, cmd, lock);
}
int FaultSys::fstatfs(int fd, struct statfs* st) { return hit(kStat, "fstatfs") ? -1 : inner_.fstatfs(fd, st); }

ssize_t FaultSys::pwrite(int fd, const void* buf, size_t n, off_t offset)
{
    if (hit(kWrite, "pwrite"))
        return -1;
    if (writeLimit_ && n > writeLimit_)
        n = writeLimit_;
    return onPwrite ? onPwrite(fd, buf, n, offset) : inner_.pwrite(fd, buf, n, offset);
}

void* FaultSys::mmap(size_t len, int prot, int flags, int fd, off_t offset)
{
    if (hit(kOpen, "mmap"))
        return nullptr;
    return onMmap ? onMmap(len, prot, flags, fd, offset) : inner_.mmap(len, prot, flags, fd, offset);
}

int FaultSys::munmap(void* addr, size_t len)
{
    if (!hit(kClose, "munmap"))
        return inner_.munmap(addr, len);
    const int e = errno;
    inner_.munmap(addr, len);  // the view goes either way, as a descriptor does
    errno = e;
    return -1;
}

int FaultSys::cloneFile(int dstFd, int srcFd)
{
    if (hit(kWrite, "clone"))
        return -1;
    return onClone ? onClone(dstFd, srcFd) : inner_.cloneFile(dstFd, srcFd);
}

ssize_t FaultSys::copyFileRange(int inFd, off_t* inOff, int outFd, off_t* outOff, size_t len)
{
    if (hit(kWrite, "copy_file_range"))
        return -1;
    if (writeLimit_ && len > writeLimit_)
        len = writeLimit_;
    return onCopyRange ? onCopyRange(inFd, inOff, outFd, outOff, len)
                       : inner_.copyFileRange(inFd, inOff, outFd, outOff, len);
}

int FaultSys::linkat(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                     int flags)
{
    if (hit(kLink, "linkat"))
        return -1;
    return onLinkat ? onLinkat(oldDirFd, oldPath, newDirFd, newPath, flags)
                    : inner_.linkat(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int FaultSys::renameat2(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                        unsigned flags)
{
    if (hit(kRename, "renameat2"))
        return -1;
    return onRenameat2 ? onRenameat2(oldDirFd, oldPath, newDirFd, newPath, flags)
                       : inner_.renameat2(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int FaultSys::unlinkat(int dirFd, const char* path, int flags)
{
    if (hit(kUnlink, "unlinkat"))
        return -1;
    return onUnlinkat ? onUnlinkat(dirFd, path, flags) : inner_.unlinkat(dirFd, path, flags);
}

int FaultSys::mkdirat(int dirFd, const char* path, mode_t mode)
{
    return hit(kMeta, "mkdirat") ? -1 : inner_.mkdirat(dirFd, path, mode);
}

ssize_t FaultSys::readlink(const char* path, char* buf, size_t size)
{
    return hit(kStat, "readlink") ? -1 : inner_.readlink(path, buf, size);
}

DIR* FaultSys::opendir(const char* path) { return hit(kDirRead, "opendir") ? nullptr : inner_.opendir(path); }

DIR* FaultSys::fdopendir(int fd)
{
    return hit(kDirRead, "fdopendir") ? nullptr : inner_.fdopendir(fd);
}

struct dirent* FaultSys::readdir(DIR* dir)
{
    if (hit(kDirRead, "readdir"))
        return nullptr;
    return onReaddir ? onReaddir(dir) : inner_.readdir(dir);
}

int FaultSys::closedir(DIR* dir)
{
    if (!hit(kClose, "closedir"))
        return inner_.closedir(dir);
    const int e = errno;
    inner_.closedir(dir);
    errno = e;
    return -1;
}

int FaultSys::chdir(const char* path) { return hit(kFolder, "chdir") ? -1 : inner_.chdir(path); }
int FaultSys::fchdir(int fd) { return hit(kFolder, "fchdir") ? -1 : inner_.fchdir(fd); }

char* FaultSys::getcwd(char* buf, size_t size)
{
    return hit(kFolder, "getcwd") ? nullptr : inner_.getcwd(buf, size);
}

void withoutUnnamedFiles(FaultSys& f)
{
    f.onOpen = [&f](int dirfd, const char* p, int flags, mode_t m) {
        if ((flags & O_TMPFILE) == O_TMPFILE)
            return refuse(EOPNOTSUPP);
        return f.Sys::openat(dirfd, p, flags, m);
    };
}

void plainFileSystem(FaultSys& f)
{
    withoutUnnamedFiles(f);
    f.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    f.onCopyRange = [](int, off_t*, int, off_t*, size_t) {
        return static_cast<ssize_t>(refuse(EXDEV));
    };
}

void nfsFileSystem(FaultSys& f)
{
    withoutUnnamedFiles(f);
    f.onRenameat2 = [&f](int od, const char* op, int nd, const char* np, unsigned flags) {
        if (flags != 0)
            return refuse(EINVAL);
        return f.Sys::renameat2(od, op, nd, np, flags);
    };
}

void fuseFileSystem(FaultSys& f)
{
    nfsFileSystem(f);
    f.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    f.onLinkat = [](int, const char*, int, const char*, int) { return refuse(EPERM); };
    f.onFchmod = [](int, mode_t) { return refuse(ENOSYS); };
}

void diskRoomFor(FaultSys& f, off_t bytes)
{
    f.onFallocate = [bytes](int fd, int mode, off_t at, off_t len) {
        return at + len > bytes ? refuse(ENOSPC) : platform::Sys().fallocate(fd, mode, at, len);
    };
}

}  // namespace testing_support
