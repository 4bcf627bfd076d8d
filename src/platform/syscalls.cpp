#include "platform/syscalls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform {

int Sys::openat(int dirfd, const char* path, int flags, mode_t mode)
{
    return ::openat(dirfd, path, flags, mode);
}
int Sys::close(int fd) { return ::close(fd); }
int Sys::dupfd(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }
ssize_t Sys::read(int fd, void* buf, size_t n) { return ::read(fd, buf, n); }
ssize_t Sys::pread(int fd, void* buf, size_t n, off_t offset) { return ::pread(fd, buf, n, offset); }
ssize_t Sys::write(int fd, const void* buf, size_t n) { return ::write(fd, buf, n); }
ssize_t Sys::pwrite(int fd, const void* buf, size_t n, off_t offset) { return ::pwrite(fd, buf, n, offset); }
int Sys::fstat(int fd, struct stat* st) { return ::fstat(fd, st); }
int Sys::fstatat(int dirfd, const char* path, struct stat* st, int flags)
{
    return ::fstatat(dirfd, path, st, flags);
}
int Sys::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int Sys::futimens(int fd, const struct timespec times[2]) { return ::futimens(fd, times); }
int Sys::fsync(int fd) { return ::fsync(fd); }
int Sys::fdatasync(int fd) { return ::fdatasync(fd); }
int Sys::ftruncate(int fd, off_t len) { return ::ftruncate(fd, len); }
int Sys::fallocate(int fd, int mode, off_t offset, off_t len)
{
    return ::fallocate(fd, mode, offset, len);
}
int Sys::flock(int fd, int operation) { return ::flock(fd, operation); }
int Sys::ofdLock(int fd, int cmd, struct flock* lock) { return ::fcntl(fd, cmd, lock); }
int Sys::fstatfs(int fd, struct statfs* st) { return ::fstatfs(fd, st); }
void* Sys::mmap(size_t len, int prot, int flags, int fd, off_t offset)
{
    void* const p = ::mmap(nullptr, len, prot, flags, fd, offset);
    return p == MAP_FAILED ? nullptr : p;
}
int Sys::munmap(void* addr, size_t len) { return ::munmap(addr, len); }

int Sys::cloneFile(int dstFd, int srcFd) { return ::ioctl(dstFd, FICLONE, srcFd); }
ssize_t Sys::copyFileRange(int inFd, off_t* inOff, int outFd, off_t* outOff, size_t len)
{
    return ::copy_file_range(inFd, inOff, outFd, outOff, len, 0);
}

int Sys::linkat(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags)
{
    return ::linkat(oldDirFd, oldPath, newDirFd, newPath, flags);
}
int Sys::renameat2(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                   unsigned flags)
{
    return static_cast<int>(::syscall(SYS_renameat2, oldDirFd, oldPath, newDirFd, newPath, flags));
}
int Sys::unlinkat(int dirFd, const char* path, int flags) { return ::unlinkat(dirFd, path, flags); }
int Sys::mkdirat(int dirFd, const char* path, mode_t mode) { return ::mkdirat(dirFd, path, mode); }
ssize_t Sys::readlink(const char* path, char* buf, size_t size)
{
    return ::readlink(path, buf, size);
}

DIR* Sys::opendir(const char* path) { return ::opendir(path); }
DIR* Sys::fdopendir(int fd) { return ::fdopendir(fd); }
struct dirent* Sys::readdir(DIR* dir)
{
    errno = 0;
    return ::readdir(dir);
}
int Sys::closedir(DIR* dir) { return ::closedir(dir); }
int Sys::chdir(const char* path) { return ::chdir(path); }
int Sys::fchdir(int fd) { return ::fchdir(fd); }
char* Sys::getcwd(char* buf, size_t size) { return ::getcwd(buf, size); }

namespace {
Sys realSys;
Sys* current = &realSys;
thread_local Sys* threadCurrent = nullptr;
}  // namespace

Sys& sys() { return threadCurrent ? *threadCurrent : *current; }

bool systemCallsInForce() { return &sys() == &realSys; }

ScopedSys::ScopedSys(Sys& replacement) : previous_(current) { current = &replacement; }
ScopedSys::~ScopedSys() { current = previous_; }

ThreadSys::ThreadSys(Sys& replacement) : previous_(threadCurrent) { threadCurrent = &replacement; }
ThreadSys::~ThreadSys() { threadCurrent = previous_; }

}  // namespace platform
