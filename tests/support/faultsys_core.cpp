#include "support/faultsys.h"

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
}

bool FaultSys::hit(Kind kind)
{
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

int FaultSys::open(const char* path, int flags, mode_t mode)
{
    return hit(kOpen) ? -1 : inner_.open(path, flags, mode);
}

int FaultSys::openat(int dirfd, const char* path, int flags, mode_t mode)
{
    return hit(kOpen) ? -1 : inner_.openat(dirfd, path, flags, mode);
}

int FaultSys::close(int fd)
{
    if (!hit(kClose))
        return inner_.close(fd);
    const int e = errno;
    inner_.close(fd);  // Linux releases the descriptor even when close fails
    errno = e;
    return -1;
}

ssize_t FaultSys::read(int fd, void* buf, size_t n)
{
    return hit(kRead) ? -1 : inner_.read(fd, buf, n);
}

ssize_t FaultSys::write(int fd, const void* buf, size_t n)
{
    if (hit(kWrite))
        return -1;
    if (writeLimit_ && n > writeLimit_)
        n = writeLimit_;
    return inner_.write(fd, buf, n);
}

int FaultSys::fstat(int fd, struct stat* st) { return hit(kStat) ? -1 : inner_.fstat(fd, st); }

int FaultSys::fstatat(int dirfd, const char* path, struct stat* st, int flags)
{
    return hit(kStat) ? -1 : inner_.fstatat(dirfd, path, st, flags);
}

int FaultSys::fchmod(int fd, mode_t mode) { return hit(kMeta) ? -1 : inner_.fchmod(fd, mode); }

int FaultSys::futimens(int fd, const struct timespec times[2])
{
    return hit(kMeta) ? -1 : inner_.futimens(fd, times);
}

int FaultSys::fsync(int fd) { return hit(kSync) ? -1 : inner_.fsync(fd); }
int FaultSys::fdatasync(int fd) { return hit(kSync) ? -1 : inner_.fdatasync(fd); }

int FaultSys::ftruncate(int fd, off_t len)
{
    return hit(kWrite) ? -1 : inner_.ftruncate(fd, len);
}

int FaultSys::cloneFile(int dstFd, int srcFd)
{
    return hit(kWrite) ? -1 : inner_.cloneFile(dstFd, srcFd);
}

ssize_t FaultSys::copyFileRange(int inFd, off_t* inOff, int outFd, off_t* outOff, size_t len)
{
    if (hit(kWrite))
        return -1;
    if (writeLimit_ && len > writeLimit_)
        len = writeLimit_;
    return inner_.copyFileRange(inFd, inOff, outFd, outOff, len);
}

int FaultSys::linkat(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                     int flags)
{
    return hit(kLink) ? -1 : inner_.linkat(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int FaultSys::renameat2(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                        unsigned flags)
{
    return hit(kRename) ? -1 : inner_.renameat2(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int FaultSys::unlinkat(int dirFd, const char* path, int flags)
{
    return hit(kUnlink) ? -1 : inner_.unlinkat(dirFd, path, flags);
}

DIR* FaultSys::opendir(const char* path) { return hit(kDirRead) ? nullptr : inner_.opendir(path); }

struct dirent* FaultSys::readdir(DIR* dir)
{
    return hit(kDirRead) ? nullptr : inner_.readdir(dir);
}

int FaultSys::closedir(DIR* dir)
{
    if (!hit(kClose))
        return inner_.closedir(dir);
    const int e = errno;
    inner_.closedir(dir);
    errno = e;
    return -1;
}

int FaultSys::chdir(const char* path) { return hit(kFolder) ? -1 : inner_.chdir(path); }
int FaultSys::fchdir(int fd) { return hit(kFolder) ? -1 : inner_.fchdir(fd); }

char* FaultSys::getcwd(char* buf, size_t size)
{
    return hit(kFolder) ? nullptr : inner_.getcwd(buf, size);
}

}  // namespace testing_support
