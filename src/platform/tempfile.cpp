#include "platform/tempfile.h"

#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kScratchPrefix = ".tsumugi-";
constexpr std::string_view kScratchSuffix = ".tmp";
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY;

// The file system cannot make unnamed files in this folder.
bool noUnnamedFiles(int e) { return e == EOPNOTSUPP || e == EISDIR || e == EINVAL || e == ENOENT; }

bool allDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

enum class Lock {
    taken,      // this descriptor holds it now
    heldElsewhere,  // another open of the file holds it
    none,       // the file system keeps no such locks here
};

// A lock of the whole file on the open file description of `fd`: shared
// (`type` F_RDLCK) or exclusive (F_WRLCK). Unlike a lock of the process, it
// stays with the description whatever else the process opens and closes.
Lock lockFile(int fd, short type)
{
    struct flock l {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    if (sys().ofdLock(fd, F_OFD_SETLK, &l) == 0)
        return Lock::taken;
    return errno == EAGAIN || errno == EACCES ? Lock::heldElsewhere : Lock::none;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True while `name` in the folder `dirFd` still names the file open as `fd`.
bool stillNamed(int dirFd, const std::string& name, int fd)
{
    struct stat held {}, named {};
    return sys().fstat(fd, &held) == 0 &&
           sys().fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(held, named);
}

}  // namespace

bool TempFile::isScratchName(std::string_view name) { return scratchPid(name) >= 0; }

long TempFile::scratchPid(std::string_view name)
{
    if (!name.starts_with(kScratchPrefix) || !name.ends_with(kScratchSuffix))
        return -1;
    name.remove_prefix(kScratchPrefix.size());
    name.remove_suffix(kScratchSuffix.size());
    const size_t dash = name.find('-');
    if (dash == std::string_view::npos || !allDigits(name.substr(0, dash)) ||
        !allDigits(name.substr(dash + 1)))
        return -1;
    const std::string_view digits = name.substr(0, dash);
    long pid = 0;
    for (char c : digits) {
        if (pid > 100000000)
            return 0;  // no process has such a number
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

Result<TempFile> TempFile::create(int dirFd, mode_t mode, bool unnamed)
{
    auto& s = sys();
    if (unnamed) {
        UniqueFd fd(s.openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (fd)
            return TempFile(dirFd, std::move(fd), Kind::unnamed, {});
        if (!noUnnamedFiles(errno))
            return Status::lastError();
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = std::string(kScratchPrefix) + std::to_string(::getpid()) + "-" +
                           std::to_string(++counter) + std::string(kScratchSuffix);
        UniqueFd fd(s.openat(dirFd, name.c_str(), kCreateFlags, mode));
        if (!fd) {
            if (errno != EEXIST)
                break;
            continue;
        }
        // Locked for as long as it is open, so that another copy of the
        // program, whatever executable it runs, knows it is in use. Found
        // unlocked in the moment before, it may be going as a killed run's
        // leftover (it is held, or gone already): then another name.
        // The name is this process's own: nothing else makes it, and what
        // is given up goes.
        const Lock l = lockFile(fd.get(), F_WRLCK);
        if (l == Lock::heldElsewhere || (l == Lock::taken && !stillNamed(dirFd, name, fd.get()))) {
            s.unlinkat(dirFd, name.c_str(), 0);
            continue;
        }
        return TempFile(dirFd, std::move(fd), Kind::scratch, std::move(name));
    }
    return Status::lastError();
}

Result<TempFile> TempFile::createInPlace(int dirFd, const std::string& name, mode_t mode)
{
    UniqueFd fd(sys().openat(dirFd, name.c_str(), kCreateFlags, mode));
    if (!fd)
        return Status::lastError();
    return TempFile(dirFd, std::move(fd), Kind::inPlace, name);
}

TempFile::TempFile(TempFile&& other) noexcept
    : dirFd_(other.dirFd_), fd_(std::move(other.fd_)), kind_(other.kind_),
      name_(std::move(other.name_))
{
    other.kind_ = Kind::none;
}

TempFile& TempFile::operator=(TempFile&& other) noexcept
{
    if (this != &other) {
        discard();
        dirFd_ = other.dirFd_;
        fd_ = std::move(other.fd_);
        kind_ = other.kind_;
        name_ = std::move(other.name_);
        other.kind_ = Kind::none;
    }
    return *this;
}

Status TempFile::keep(const std::string& name)
{
    auto& s = sys();
    switch (kind_) {
    case Kind::none:
        return Status::failure(EBADF);
    case Kind::unnamed: {
        if (name.empty() || name.find('\0') != std::string::npos)
            return Status::failure(name.empty() ? ENOENT : EINVAL);
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
        int r = s.linkat(AT_FDCWD, self.c_str(), dirFd_, name.c_str(), AT_SYMLINK_FOLLOW);
        struct stat st {};
        if (r != 0 && errno == ENOENT && s.fstatat(AT_FDCWD, "/proc/self/fd", &st, 0) != 0)
            // No /proc: the privileged way, where the process may use it.
            r = s.linkat(fd_.get(), "", dirFd_, name.c_str(), AT_EMPTY_PATH);
        if (r != 0)
            return Status::lastError();
        if (const Status closed = fd_.close(); !closed) {
            // The data may not all have reached the file: the name goes again.
            s.unlinkat(dirFd_, name.c_str(), 0);
            kind_ = Kind::none;
            return closed;
        }
        kind_ = Kind::none;
        return {};
    }
    case Kind::scratch: {
        // Closed first, so that a write error reported only at close never
        // reaches the new name; a second descriptor of the same open file
        // keeps its lock until the file has its name.
        const UniqueFd locked(fd_ ? s.dupfd(fd_.get()) : -1);
        if (const Status closed = fd_.close(); !closed)
            return closed;
        const Status r = renameNoReplace(dirFd_, name_, dirFd_, name);
        if (r)
            kind_ = Kind::none;
        return r;
    }
    case Kind::inPlace:
        if (name != name_)
            return Status::failure(EINVAL);
        if (const Status closed = fd_.close(); !closed)
            return closed;
        kind_ = Kind::none;
        return {};
    }
    return Status::failure(EINVAL);
}

Status TempFile::keepReplacing(const std::string& name)
{
    if (kind_ != Kind::scratch)
        return Status::failure(kind_ == Kind::none ? EBADF : EINVAL);
    if (const Status closed = fd_.close(); !closed)
        return closed;
    if (sys().renameat2(dirFd_, name_.c_str(), dirFd_, name.c_str(), 0) != 0)
        return Status::lastError();
    kind_ = Kind::none;
    return {};
}

namespace {

enum class Maker { thisProgram, gone, unknown };

// Who made a scratch file whose name carries `pid`: a process of this
// program (its executable is ours), none any more (no such process, a
// zombie, or another program that has the number now), or cannot be told.
Maker makerOf(long pid, const struct stat& self)
{
    if (pid == ::getpid())
        return Maker::thisProgram;
    if (pid <= 0)
        return Maker::gone;
    const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    struct stat st {};
    if (sys().fstatat(AT_FDCWD, exe.c_str(), &st, 0) == 0)
        return sameFile(st, self) ? Maker::thisProgram : Maker::gone;
    return errno == ENOENT || errno == ESRCH ? Maker::gone : Maker::unknown;
}

}  // namespace

int removeStaleScratchFiles(int dirFd, const std::function<void(const char* name, unsigned char type)>& listed)
{
    auto& s = sys();
    std::vector<std::string> names;
    {
        UniqueFd fd(s.openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd)
            return 0;
        DIR* dir = s.fdopendir(fd.get());
        if (!dir)
            return 0;
        fd.release();
        while (struct dirent* e = s.readdir(dir)) {
            if (listed)
                listed(e->d_name, e->d_type);
            if (TempFile::isScratchName(e->d_name))
                names.emplace_back(e->d_name);
        }
        s.closedir(dir);
    }
    // Without a look at the processes nothing can be told apart.
    struct stat self {};
    if (names.empty() || s.fstatat(AT_FDCWD, "/proc/self/exe", &self, 0) != 0)
        return 0;
    int removed = 0;
    for (const std::string& name : names) {
        struct stat st {};
        if (s.fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // A copy of the program holds the lock of each scratch file it has
        // open: such a file is in use, whatever executable that copy runs
        // (an upgrade replaces it, so that it no longer looks like this
        // program). Held here meanwhile, it cannot be taken up again.
        const UniqueFd fd(
            s.openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (fd ? !stillNamed(dirFd, name, fd.get()) || lockFile(fd.get(), F_RDLCK) == Lock::heldElsewhere
               : errno != EACCES)
            continue;
        // A file of a copy that holds no lock (one from before locks, on a
        // file system without them, or a file without a read bit) goes only
        // once its maker is gone.
        if (makerOf(TempFile::scratchPid(name), self) != Maker::gone)
            continue;
        if ((!fd || stillNamed(dirFd, name, fd.get())) && s.unlinkat(dirFd, name.c_str(), 0) == 0)
            ++removed;
    }
    return removed;
}

void TempFile::discardAside()
{
    // The real close, not sys(): a test's calls stay in their order.
    if (kind_ != Kind::unnamed || !systemCallsInForce()) {
        discard();
        return;
    }
    kind_ = Kind::none;
    std::thread([fd = fd_.release()] { ::close(fd); }).detach();
}

bool TempFile::discard()
{
    const Kind was = kind_;
    kind_ = Kind::none;
    fd_.reset();
    if (was != Kind::scratch && was != Kind::inPlace)
        return true;
    // Clutter left behind is a file the user never asked for: try twice,
    // and take "no such file" for gone only when the name says so too.
    const int saved = errno;
    auto& s = sys();
    bool gone = false;
    for (int attempt = 0; attempt < 2 && !gone; ++attempt) {
        struct stat st {};
        gone = s.unlinkat(dirFd_, name_.c_str(), 0) == 0 ||
               (errno == ENOENT &&
                s.fstatat(dirFd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 &&
                errno == ENOENT);
    }
    errno = saved;
    return gone;
}

}  // namespace platform
