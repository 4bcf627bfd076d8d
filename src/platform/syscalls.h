// The raw operating-system calls the platform layer is built on.
//
// Every system call of src/platform goes through one Sys object, so that
// tests can put a fault-injecting one in its place and prove that no failure
// of the disk loses or overwrites a file. Each call mirrors its POSIX
// namesake: it returns -1 (or nullptr) and sets errno on failure.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace platform {

class Sys {
public:
    virtual ~Sys() = default;

    // files
    virtual int openat(int dirfd, const char* path, int flags, mode_t mode = 0);
    virtual int close(int fd);
    virtual int dupfd(int fd);  // fcntl F_DUPFD_CLOEXEC
    virtual ssize_t read(int fd, void* buf, size_t n);
    virtual ssize_t pread(int fd, void* buf, size_t n, off_t offset);
    virtual ssize_t write(int fd, const void* buf, size_t n);
    virtual ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset);
    virtual int fstat(int fd, struct stat* st);
    virtual int fstatat(int dirfd, const char* path, struct stat* st, int flags);
    virtual int fchmod(int fd, mode_t mode);
    virtual int futimens(int fd, const struct timespec times[2]);
    virtual int fsync(int fd);
    virtual int fdatasync(int fd);
    virtual int ftruncate(int fd, off_t len);
    virtual int fallocate(int fd, int mode, off_t offset, off_t len);
    virtual int flock(int fd, int operation);
    // fcntl with F_OFD_SETLK or F_OFD_GETLK: a lock of the open file
    // description, not of the process.
    virtual int ofdLock(int fd, int cmd, struct flock* lock);
    virtual int fstatfs(int fd, struct statfs* st);
    // A view of a file in memory; nullptr (not MAP_FAILED) on failure.
    virtual void* mmap(size_t len, int prot, int flags, int fd, off_t offset);
    virtual int munmap(void* addr, size_t len);

    // data copy accelerators; each may fail with EOPNOTSUPP/EXDEV/EINVAL/ENOSYS
    virtual int cloneFile(int dstFd, int srcFd);  // ioctl FICLONE
    virtual ssize_t copyFileRange(int inFd, off_t* inOff, int outFd, off_t* outOff,
                                  size_t len);

    // names
    virtual int linkat(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                       int flags);
    virtual int renameat2(int oldDirFd, const char* oldPath, int newDirFd,
                          const char* newPath, unsigned flags);
    virtual int unlinkat(int dirFd, const char* path, int flags);
    virtual int mkdirat(int dirFd, const char* path, mode_t mode);
    virtual ssize_t readlink(const char* path, char* buf, size_t size);

    // folders
    virtual DIR* opendir(const char* path);
    virtual DIR* fdopendir(int fd);  // takes the descriptor over on success
    virtual struct dirent* readdir(DIR* dir);  // nullptr with errno 0 at the end
    virtual int closedir(DIR* dir);
    virtual int chdir(const char* path);
    virtual int fchdir(int fd);
    virtual char* getcwd(char* buf, size_t size);
};

// The Sys in force: the calling thread's own where it has one (ThreadSys),
// else the process's. Starts as the real one.
Sys& sys();

// Whether the Sys in force is the system's own, whose calls any thread may
// make at any time: a test's counts calls and fails them in their order.
bool systemCallsInForce();

// Puts another Sys in force for the lifetime of this object (tests).
class ScopedSys {
public:
    explicit ScopedSys(Sys& replacement);
    ~ScopedSys();
    ScopedSys(const ScopedSys&) = delete;
    ScopedSys& operator=(const ScopedSys&) = delete;

private:
    Sys* previous_;
};

// Puts a Sys in force for the calling thread alone while it lives: a worker
// thread runs its job with the Sys the job's request was made with, whatever
// the other threads use meanwhile.
class ThreadSys {
public:
    explicit ThreadSys(Sys& replacement);
    ~ThreadSys();
    ThreadSys(const ThreadSys&) = delete;
    ThreadSys& operator=(const ThreadSys&) = delete;

private:
    Sys* previous_;
};

}  // namespace platform
