// A Sys for tests that wraps the one in force and makes chosen calls fail,
// so that tests can show what the file layer does when the disk, the folder
// or the kernel says no at any single step. It also records the calls it saw
// (to check their order) and takes hooks that stand in for single calls (to
// make the file system look like one without the newer calls).
//
//   testing_support::FaultSys faults;
//   faults.failNth(3, EIO);                          // the 3rd call of any kind
//   faults.failNthOf(FaultSys::kWrite, 1, ENOSPC);      // the 1st write
//   platform::ScopedSys use(faults);
//
// A failing call does nothing and returns -1 (nullptr for the folder calls)
// with errno set, except close and closedir, which, as on Linux, release the
// descriptor and then report the error.
#pragma once

#include "platform/syscalls.h"

#include <cerrno>
#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class FaultSys : public platform::Sys {
public:
    // What a call is counted as.
    enum Kind {
        kOpen,     // openat, dupfd, mmap
        kRead,     // read, pread
        kWrite,    // write, pwrite, copyFileRange, cloneFile, ftruncate, fallocate
        kLink,     // linkat
        kRename,   // renameat2
        kSync,     // fsync, fdatasync
        kUnlink,   // unlinkat
        kStat,     // fstat, fstatat, fstatfs, readlink
        kDirRead,  // opendir, fdopendir, readdir
        kClose,    // close, closedir, munmap
        kMeta,     // fchmod, futimens, mkdirat, flock, ofdLock
        kFolder,   // chdir, fchdir, getcwd
        kindCount
    };
    static const char* kindName(Kind k);

    // Wraps the Sys in force now (normally the real one).
    FaultSys();

    // Makes the k-th call (1-based, counted from now) fail with `err`. With
    // `sticky`, that call and every later one fail (a disk that went away).
    void failNth(long k, int err, bool sticky = false);
    // The same, counting only calls of `kind`.
    void failNthOf(Kind kind, long k, int err, bool sticky = false);
    // Makes every write return at most `bytes` bytes (short writes).
    void limitWrites(size_t bytes) { writeLimit_ = bytes; }
    // Forgets the plan and the counts.
    void reset();

    long count() const { return total_; }
    long count(Kind k) const { return perKind_[k]; }
    long faults() const { return faults_; }
    // "write #2 (call 7): No space left on device" for the last fault, or "".
    const std::string& lastFault() const { return lastFault_; }

    // Every call, by its POSIX name ("openat", "write", "renameat2", ...; the
    // accelerators as "clone" and "copy_file_range"), in order.
    std::vector<std::string> calls;
    // Index of the first call named `name`, or -1.
    int indexOf(const std::string& name) const;

    // Stand-ins for single calls; an empty one passes the call on. A planned
    // fault comes first: a call that is to fail never reaches its hook.
    std::function<int(int dirfd, const char* path, int flags, mode_t mode)> onOpen;
    // Stands in for readdir; a hook may change the entry it passes on.
    std::function<struct dirent*(DIR*)> onReaddir;
    std::function<ssize_t(int, const void*, size_t)> onWrite;
    std::function<ssize_t(int, const void*, size_t, off_t)> onPwrite;
    std::function<int(int, int)> onClone;
    std::function<ssize_t(int, off_t*, int, off_t*, size_t)> onCopyRange;
    std::function<int(int, const char*, int, const char*, unsigned)> onRenameat2;
    std::function<int(int, const char*, int, const char*, int)> onLinkat;
    std::function<int(int, const char*, int)> onUnlinkat;
    std::function<int(int)> onFdatasync;
    std::function<int(int, int, off_t, off_t)> onFallocate;
    std::function<void*(size_t, int, int, int, off_t)> onMmap;
    std::function<int(int)> onFsync;
    std::function<int(int, mode_t)> onFchmod;
    std::function<int(int, const char*, struct stat*, int)> onFstatat;

    int openat(int dirfd, const char* path, int flags, mode_t mode = 0) override;
    int close(int fd) override;
    int dupfd(int fd) override;
    ssize_t read(int fd, void* buf, size_t n) override;
    ssize_t pread(int fd, void* buf, size_t n, off_t offset) override;
    ssize_t write(int fd, const void* buf, size_t n) override;
    ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset) override;
    int fstat(int fd, struct stat* st) override;
    int fstatat(int dirfd, const char* path, struct stat* st, int flags) override;
    int fchmod(int fd, mode_t mode) override;
    int futimens(int fd, const struct timespec times[2]) override;
    int fsync(int fd) override;
    int fdatasync(int fd) override;
    int ftruncate(int fd, off_t len) override;
    int fallocate(int fd, int mode, off_t offset, off_t len) override;
    int flock(int fd, int operation) override;
    int ofdLock(int fd, int cmd, struct flock* lock) override;
    int fstatfs(int fd, struct statfs* st) override;
    void* mmap(size_t len, int prot, int flags, int fd, off_t offset) override;
    int munmap(void* addr, size_t len) override;
    int cloneFile(int dstFd, int srcFd) override;
    ssize_t copyFileRange(int inFd, off_t* inOff, int outFd, off_t* outOff,
                          size_t len) override;
    int linkat(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
               int flags) override;
    int renameat2(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath,
                  unsigned flags) override;
    int unlinkat(int dirFd, const char* path, int flags) override;
    int mkdirat(int dirFd, const char* path, mode_t mode) override;
    ssize_t readlink(const char* path, char* buf, size_t size) override;
    DIR* opendir(const char* path) override;
    DIR* fdopendir(int fd) override;
    struct dirent* readdir(DIR* dir) override;
    int closedir(DIR* dir) override;
    int chdir(const char* path) override;
    int fchdir(int fd) override;
    char* getcwd(char* buf, size_t size) override;

private:
    // Records and counts a call of `kind`; true (errno set) when it is to fail.
    bool hit(Kind kind, const char* name);

    platform::Sys& inner_;
    std::array<long, kindCount> perKind_{};
    long total_ = 0;
    long faults_ = 0;
    // The plan: fire at call `at_` of `planKind_` (kindCount = any kind).
    Kind planKind_ = kindCount;
    long at_ = 0;
    int err_ = 0;
    bool sticky_ = false;
    size_t writeLimit_ = 0;
    std::string lastFault_;
    // The run's worker, the journal's end sync and undo's look may call at
    // once: the counts and `calls` are taken one call at a time.
    std::mutex mutex_;
};

// For hooks: fails with `e`.
inline int refuse(int e)
{
    errno = e;
    return -1;
}

// Makes `f` answer as a file system without unnamed files (O_TMPFILE:
// EOPNOTSUPP), as vfat, exFAT, NFS and most FUSE file systems do.
void withoutUnnamedFiles(FaultSys& f);

// And without clones or in-kernel copies either: a copy there takes its
// slowest way, a scratch file filled by reads and writes.
void plainFileSystem(FaultSys& f);

// Answers as NFS does: no unnamed files, and renameat2 knows no flags
// (EINVAL); links and plain renames work.
void nfsFileSystem(FaultSys& f);

// Answers as a FUSE vfat or exFAT file system does: no unnamed files or
// clones, fchmod ENOSYS, renameat2 with a flag EINVAL, linkat EPERM. Plain
// renames, exclusive creates and hidden names work.
void fuseFileSystem(FaultSys& f);

// Answers as a disk that has room for `bytes` bytes of a file grown by room
// taken ahead (a journal) does: room beyond them is refused (ENOSPC).
void diskRoomFor(FaultSys& f, off_t bytes);

}  // namespace testing_support
