#include "platform/fileops.h"

#include "platform/pathparts.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {

namespace {

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0) {
            const int saved = errno;
            sys().close(fd);
            errno = saved;
        }
        fd = -1;
    }
};

bool notSupported(int e)
{
    return e == EOPNOTSUPP || e == ENOTSUP || e == EXDEV || e == EINVAL || e == ENOSYS ||
           e == ENOTTY || e == EBADF || e == EPERM;
}

struct CopyTick {
    std::function<void()> tick;
    size_t bytes = size_t{64} << 20;
};

CopyTick& copyTick()
{
    static CopyTick t;
    return t;
}

// Counts the bytes a copy moved and calls the tick after each stretch.
struct TickCounter {
    size_t sinceTick = 0;
    void moved(size_t n)
    {
        const CopyTick& t = copyTick();
        if (!t.tick)
            return;
        sinceTick += n;
        if (sinceTick >= t.bytes) {
            sinceTick = 0;
            t.tick();
        }
    }
};

bool copyByReadWrite(int in, int out)
{
    std::vector<char> buf(1 << 17);
    TickCounter ticks;
    for (;;) {
        const ssize_t r = sys().read(in, buf.data(), buf.size());
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            return true;
        if (!writeAll(out, std::string_view(buf.data(), static_cast<size_t>(r))))
            return false;
        ticks.moved(static_cast<size_t>(r));
    }
}

// The data of `in` into the empty file `out`: a shared-extent clone where
// the file system has one, else an in-kernel copy, else plain reads and
// writes.
bool copyData(int in, int out, off_t size)
{
    if (size > 0 && sys().cloneFile(out, in) == 0)
        return true;
    off_t inOff = 0, outOff = 0;
    // In stretches no longer than the tick's, so that the tick comes on time.
    const size_t stretch = copyTick().tick ? copyTick().bytes : size_t{1} << 30;
    TickCounter ticks;
    for (;;) {
        const ssize_t n = sys().copyFileRange(in, &inOff, out, &outOff, stretch);
        if (n > 0) {
            ticks.moved(static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            // Some file systems report nothing to copy for files they make
            // up on the fly; read those the plain way.
            if (inOff == 0 && size > 0)
                break;
            return true;
        }
        if (errno == EINTR)
            continue;
        if (inOff == 0 && notSupported(errno))
            break;
        return false;
    }
    return copyByReadWrite(in, out);
}

// Makes a hidden scratch file in `folder` (a name no listing shows), for a
// file system without unnamed files.
int openScratch(const std::string& folder, std::string& path)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/.tsumugi-" + std::to_string(::getpid()) + "-" +
               std::to_string(++counter) + ".tmp";
        const int fd =
            sys().open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Removes a scratch file, trying a second time should the first attempt
// fail: a scratch file left behind is clutter the user never asked for.
void removeScratch(const std::string& scratch)
{
    if (sys().unlinkat(AT_FDCWD, scratch.c_str(), 0) != 0 && errno != ENOENT)
        sys().unlinkat(AT_FDCWD, scratch.c_str(), 0);
}

// Gives the complete scratch file its name without replacing anything: a
// rename that refuses an existing target, else (where the file system lacks
// that rename) a second name and the scratch name removed.
bool publishScratch(const std::string& scratch, const std::string& to, int* err)
{
    auto& s = sys();
    if (s.renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const int e = errno;
    if (e != EINVAL && e != ENOSYS && e != EOPNOTSUPP)
        return fail(err, e);
    if (s.linkat(AT_FDCWD, scratch.c_str(), AT_FDCWD, to.c_str(), 0) != 0)
        return fail(err, errno);
    removeScratch(scratch);
    return true;
}

}  // namespace

bool copyFileNoReplace(const std::string& from, const std::string& to, int* err, bool flushData)
{
    auto& s = sys();
    if (from.empty() || to.empty())
        return fail(err, ENOENT);
    if (!acceptableName(from) || !acceptableName(to))
        return fail(err, EINVAL);

    // Refuse early when the name is taken (a dangling link included), so
    // that no data is copied in vain; the final link checks again.
    struct stat st {};
    if (s.fstatat(AT_FDCWD, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return fail(err, EEXIST);
    if (errno != ENOENT)
        return fail(err, errno);

    // Non-blocking, so that a FIFO put in the file's place cannot hang us;
    // anything but a regular file is refused.
    Fd in(s.open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (in.fd < 0)
        return fail(err, errno);
    struct stat src {};
    if (s.fstat(in.fd, &src) != 0)
        return fail(err, errno);
    if (!S_ISREG(src.st_mode))
        return fail(err, S_ISDIR(src.st_mode) ? EISDIR : EINVAL);

    // The new file is made unnamed and linked in only when complete. Where
    // the file system cannot make unnamed files, it is written under a
    // hidden scratch name in the same folder and given its name, without
    // replacing anything, once complete. Only where the file system can do
    // neither is it created exclusively under its name. On any failure
    // whatever was made is removed again.
    const std::string folder = folderOf(to);
    enum class Way { unnamed, staged, named } way = Way::unnamed;
    std::string scratch;
    Fd out(s.open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (out.fd < 0) {
        const int e = errno;
        if (e != EOPNOTSUPP && e != EISDIR && e != EINVAL && e != ENOENT)
            return fail(err, e);
        out.fd = openScratch(folder, scratch);
        way = Way::staged;
        if (out.fd < 0) {
            if (errno == EEXIST || errno == ENOSPC || errno == EDQUOT)
                return fail(err, errno);
            out.fd = s.open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
            if (out.fd < 0)
                return fail(err, errno);
            way = Way::named;
        }
    }
    auto abandon = [&](int e) {
        out.reset();
        if (way == Way::named)
            s.unlinkat(AT_FDCWD, to.c_str(), 0);
        else if (way == Way::staged)
            removeScratch(scratch);
        return fail(err, e);
    };

    if (!copyData(in.fd, out.fd, src.st_size))
        return abandon(errno);
    // Permission bits only: set-user-ID and the like are not carried over,
    // since the copy belongs to whoever runs the program.
    if (s.fchmod(out.fd, src.st_mode & 0777) != 0)
        return abandon(errno);
    const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
    if (s.futimens(out.fd, times) != 0)
        return abandon(errno);
    if (flushData && s.fdatasync(out.fd) != 0)
        return abandon(errno);

    if (way == Way::unnamed) {
        const std::string self = "/proc/self/fd/" + std::to_string(out.fd);
        int r = s.linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW);
        if (r != 0 && errno == ENOENT && s.fstatat(AT_FDCWD, "/proc/self/fd", &st, 0) != 0)
            // No /proc: the privileged way, where the process may use it.
            r = s.linkat(out.fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH);
        if (r != 0)
            return abandon(errno);
    } else if (way == Way::staged) {
        // Closed first, so that a write error reported only at close never
        // reaches the new name.
        const int fd = out.fd;
        out.fd = -1;
        if (s.close(fd) != 0) {
            const int e = errno;
            removeScratch(scratch);
            return fail(err, e);
        }
        if (!publishScratch(scratch, to, err)) {
            removeScratch(scratch);
            return false;
        }
        return true;
    }
    if (s.close(out.fd) != 0) {
        out.fd = -1;
        const int e = errno;
        s.unlinkat(AT_FDCWD, to.c_str(), 0);
        return fail(err, e);
    }
    out.fd = -1;
    return true;
}

void setCopyTick(std::function<void()> tick, size_t bytes)
{
    copyTick() = CopyTick{std::move(tick), bytes > 0 ? bytes : 1};
}

bool isReadOnly(const std::string& path)
{
    struct stat st {};
    if (path.empty() || sys().fstatat(AT_FDCWD, path.c_str(), &st, 0) != 0)
        return false;
    return !S_ISDIR(st.st_mode) && (st.st_mode & 0222) == 0;
}

bool deleteFile(const std::string& path, int* err)
{
    if (path.empty())
        return fail(err, ENOENT);
    if (!acceptableName(path))
        return fail(err, EINVAL);
    if (isReadOnly(path))
        return fail(err, EACCES);
    if (sys().unlinkat(AT_FDCWD, path.c_str(), 0) != 0)
        return fail(err, errno);
    return true;
}

bool renameNoReplace(const std::string& from, const std::string& to, int* err)
{
    auto& s = sys();
    if (from.empty() || to.empty())
        return fail(err, ENOENT);
    if (!acceptableName(from) || !acceptableName(to))
        return fail(err, EINVAL);
    if (s.renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const int e = errno;
    if (e != EINVAL && e != ENOSYS && e != EOPNOTSUPP)
        return fail(err, e);
    // No such flag on this file system: a second name, then the old one
    // goes. linkat never replaces an existing name.
    if (s.linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0)
        return fail(err, errno == EPERM ? e : errno);
    if (s.unlinkat(AT_FDCWD, from.c_str(), 0) != 0) {
        const int ue = errno;
        s.unlinkat(AT_FDCWD, to.c_str(), 0);
        return fail(err, ue);
    }
    return true;
}

}  // namespace platform
