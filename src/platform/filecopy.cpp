#include "platform/filecopy.h"

#include "platform/failure.h"
#include "platform/fdio.h"
#include "platform/pathparts.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform {

namespace {

bool notSupported(int e)
{
    return e == EOPNOTSUPP || e == ENOTSUP || e == EXDEV || e == EINVAL || e == ENOSYS ||
           e == ENOTTY || e == EBADF || e == EPERM;
}

bool acceptable(const std::string& name)
{
    return !name.empty() && name.find('\0') == std::string::npos;
}

int nameError(const std::string& name) { return name.empty() ? ENOENT : EINVAL; }

// Counts the bytes a copy moved and calls the tick after each stretch.
class TickCounter {
public:
    explicit TickCounter(const CopyTick* t) : t_(t && t->tick ? t : nullptr) {}
    // How much one call may move, so that the tick comes on time.
    size_t stretch() const { return t_ ? std::max<size_t>(t_->bytes, 1) : size_t{1} << 30; }
    void moved(size_t n)
    {
        if (!t_)
            return;
        since_ += n;
        if (since_ >= std::max<size_t>(t_->bytes, 1)) {
            since_ = 0;
            t_->tick();
        }
    }

private:
    const CopyTick* t_;
    size_t since_ = 0;
};

bool copyByReadWrite(int in, int out, TickCounter& ticks)
{
    std::vector<char> buf(1 << 17);
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

}  // namespace

bool openCopySource(int dirFd, const std::string& name, CopySource& out, int* err)
{
    auto& s = sys();
    out.fd.reset(s.openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!out.fd)
        return fail(err, errno);
    if (s.fstat(out.fd.get(), &out.st) != 0)
        return fail(err, errno);
    if (!S_ISREG(out.st.st_mode))
        return fail(err, S_ISDIR(out.st.st_mode) ? EISDIR : EINVAL);
    return true;
}

bool openCopyTarget(int dirFd, const std::string& name, TempFile& out, int* err)
{
    int e = 0;
    out = TempFile::create(dirFd, &e);
    if (out)
        return true;
    // A folder that is full, or where every scratch name is taken, takes no
    // file under the new name either.
    if (e == EEXIST || e == ENOSPC || e == EDQUOT)
        return fail(err, e);
    out = TempFile::createInPlace(dirFd, name, &e);
    return out || fail(err, e);
}

bool copyData(int in, int out, off_t size, const CopyTick* tick)
{
    if (size > 0 && sys().cloneFile(out, in) == 0)
        return true;
    TickCounter ticks(tick);
    off_t inOff = 0, outOff = 0;
    for (;;) {
        const ssize_t n = sys().copyFileRange(in, &inOff, out, &outOff, ticks.stretch());
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
    return copyByReadWrite(in, out, ticks);
}

bool copyAttributes(int out, const struct stat& src, bool flushData, int* err)
{
    auto& s = sys();
    if (s.fchmod(out, src.st_mode & 0777) != 0)
        return fail(err, errno);
    const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
    if (s.futimens(out, times) != 0)
        return fail(err, errno);
    if (flushData && s.fdatasync(out) != 0)
        return fail(err, errno);
    return true;
}

bool copyFileNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to,
                       int* err, const CopyOptions& options)
{
    if (!acceptable(from))
        return fail(err, nameError(from));
    if (!acceptable(to))
        return fail(err, nameError(to));

    // Refuse early when the name is taken (a dangling link included), so
    // that no data is copied in vain; publishing checks again.
    struct stat st {};
    if (sys().fstatat(toDir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return fail(err, EEXIST);
    if (errno != ENOENT)
        return fail(err, errno);

    CopySource src;
    if (!openCopySource(fromDir, from, src, err))
        return false;
    TempFile target;
    if (!openCopyTarget(toDir, to, target, err))
        return false;
    // On any failure below the target's destructor removes what was made.
    if (!copyData(src.fd.get(), target.fd(), src.st.st_size, options.tick))
        return fail(err, errno);
    if (!copyAttributes(target.fd(), src.st, options.flushData, err))
        return false;
    const RenameResult r = target.keep(to);
    return r || fail(err, r.error);
}

bool copyFileNoReplace(const std::string& from, const std::string& to, int* err, bool flushData)
{
    if (!acceptable(from))
        return fail(err, nameError(from));
    if (!acceptable(to))
        return fail(err, nameError(to));
    // The new file is made in the folder of its name.
    const std::string name = fileNameOf(to);
    UniqueFd folder(sys().openat(AT_FDCWD, folderOf(to).c_str(),
                                 O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return fail(err, errno);
    return copyFileNoReplace(AT_FDCWD, from, folder.get(), name, err, {flushData, nullptr});
}

}  // namespace platform
