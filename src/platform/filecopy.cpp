#include "platform/filecopy.h"

#include "platform/fdio.h"
#include "platform/pathparts.h"
#include "platform/regularfile.h"
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

// The most one call moves while the copy may be stopped: some milliseconds
// of a fast disk's work, a few tens of a slow one's, so that a stop is seen
// within them.
constexpr size_t kStoppableStretch = size_t{2} << 20;

// Counts the bytes a copy moved and calls the tick after each stretch.
class TickCounter {
public:
    TickCounter(const CopyTick* t, bool stoppable) : t_(t && t->tick ? t : nullptr), stoppable_(stoppable) {}
    // How much one call may move, so that the tick, and a stop, come on time.
    size_t stretch() const
    {
        const size_t s = t_ ? std::max<size_t>(t_->bytes, 1) : size_t{1} << 30;
        return stoppable_ ? std::min(s, kStoppableStretch) : s;
    }
    void moved(size_t n)
    {
        if (!t_)
            return;
        since_ += n;
        if (since_ >= std::max<size_t>(t_->bytes, 1)) {
            t_->tick(since_);
            since_ = 0;
        }
    }

private:
    const CopyTick* t_;
    bool stoppable_;
    size_t since_ = 0;
};

bool stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

// Reads at explicit offsets, so that the file's own position plays no part.
Status copyByReadWrite(int in, int out, off_t size, TickCounter& ticks, const std::atomic<bool>* stop)
{
    std::vector<char> buf(1 << 17);
    for (off_t at = 0; at < size;) {
        if (stopped(stop))
            return Status::failure(kCopyStopped);
        const size_t want = static_cast<size_t>(std::min<off_t>(size - at, static_cast<off_t>(buf.size())));
        const ssize_t r = sys().pread(in, buf.data(), want, at);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return Status::lastError();
        }
        if (r == 0)
            return Status::failure(kSourceChanged);  // ends before its size: cut short meanwhile
        if (const Status w = writeAll(out, std::string_view(buf.data(), static_cast<size_t>(r))); !w)
            return w;
        at += r;
        ticks.moved(static_cast<size_t>(r));
    }
    return {};
}

// fchmod refused by a file system that keeps no permission bits.
bool modeRefused(int e) { return e == ENOSYS || e == EPERM || e == EOPNOTSUPP || e == ENOTSUP; }

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

Status openCopySource(int dirFd, const std::string& name, CopySource& out)
{
    Result<UniqueFd> opened = openRegular(dirFd, name, &out.st);
    out.fd = std::move(opened).value();
    return opened.status();
}

Status openCopyTarget(int dirFd, const std::string& name, TempFile& out)
{
    Result<TempFile> made = TempFile::create(dirFd);
    // A folder that is full, or where every scratch name is taken, takes no
    // file under the new name either.
    if (!made && made.error() != EEXIST && made.error() != ENOSPC && made.error() != EDQUOT)
        made = TempFile::createInPlace(dirFd, name);
    out = std::move(made).value();
    return made.status();
}

Status copyData(int in, int out, off_t size, const CopyTick* tick, bool* clonesRefused,
                const std::atomic<bool>* stop)
{
    if (size <= 0)
        return {};
    auto& s = sys();
    const bool tryClone = !clonesRefused || !*clonesRefused;
    if (tryClone && s.cloneFile(out, in) == 0) {
        // A clone takes the file as it is now; one that grew meanwhile is
        // more than was asked for.
        struct stat st {};
        if (s.fstat(out, &st) != 0)
            return Status::lastError();
        if (st.st_size != size)
            return Status::failure(kSourceChanged);
        return {};
    }
    // The file system does no clones at all, as against one file it would
    // not clone (EINVAL, EPERM), which says nothing of the next.
    if (tryClone && clonesRefused &&
        (errno == EOPNOTSUPP || errno == ENOTSUP || errno == ENOTTY || errno == ENOSYS || errno == EXDEV))
        *clonesRefused = true;
    TickCounter ticks(tick, stop != nullptr);
    off_t inOff = 0, outOff = 0;
    while (inOff < size) {
        if (stopped(stop))
            return Status::failure(kCopyStopped);
        const size_t want = static_cast<size_t>(
            std::min<off_t>(size - inOff, static_cast<off_t>(ticks.stretch())));
        const ssize_t n = s.copyFileRange(in, &inOff, out, &outOff, want);
        if (n > 0) {
            ticks.moved(static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            // Some file systems report nothing to copy for files they make
            // up on the fly; read those the plain way.
            if (inOff == 0)
                break;
            return Status::failure(kSourceChanged);  // ends before its size: cut short meanwhile
        }
        if (errno == EINTR)
            continue;
        if (inOff == 0 && notSupported(errno))
            break;
        return Status::lastError();
    }
    if (inOff >= size)
        return {};
    return copyByReadWrite(in, out, size, ticks, stop);
}

Status sourceUnchanged(const CopySource& src)
{
    struct stat now {};
    if (sys().fstat(src.fd.get(), &now) != 0)
        return Status::lastError();
    if (now.st_size != src.st.st_size || !sameTime(now.st_mtim, src.st.st_mtim) ||
        !sameTime(now.st_ctim, src.st.st_ctim))
        return Status::failure(kSourceChanged);
    return {};
}

Status copyAttributes(int out, const CopySource& src, bool flushData)
{
    auto& s = sys();
    if (s.fchmod(out, src.st.st_mode & 0777) != 0 && !modeRefused(errno))
        return Status::lastError();
    const struct timespec times[2] = {{0, UTIME_OMIT}, src.st.st_mtim};
    if (s.futimens(out, times) != 0)
        return Status::lastError();
    if (flushData && s.fdatasync(out) != 0)
        return Status::lastError();
    // As late as can be, so that nothing the source is given after this
    // goes unnoticed by a caller that deletes it next.
    return sourceUnchanged(src);
}

Status copyFileNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to,
                         const CopyOptions& options)
{
    if (!acceptable(from))
        return Status::failure(nameError(from));
    if (!acceptable(to))
        return Status::failure(nameError(to));

    // Refuse early when the name is taken (a dangling link included), so
    // that no data is copied in vain; publishing checks again.
    struct stat st {};
    if (sys().fstatat(toDir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return Status::failure(EEXIST);
    if (errno != ENOENT)
        return Status::lastError();

    CopySource src;
    if (const Status opened = openCopySource(fromDir, from, src); !opened)
        return opened;
    TempFile target;
    if (const Status opened = openCopyTarget(toDir, to, target); !opened)
        return opened;
    // On any failure below the target's destructor removes what was made.
    auto fill = [&](TempFile& t) {
        if (const Status failed =
                copyData(src.fd.get(), t.fd(), src.st.st_size, options.tick, options.clonesRefused, options.stop);
            !failed) {
            if (failed.error() == kCopyStopped)
                t.discardAside();  // the stop is answered before the disk is done
            return failed;
        }
        if (const Status copied = copyAttributes(t.fd(), src, options.flushData); !copied)
            return copied;
        // Publishing gives the file a name and changes nothing else of it.
        if (options.made) {
            struct stat st {};
            *options.made = {};
            if (sys().fstat(t.fd(), &st) == 0)
                *options.made = identityOf(st);
        }
        return Status();
    };
    if (const Status filled = fill(target); !filled)
        return filled;
    Status kept = target.keep(to);
    if (kept.notPossible()) {
        // The scratch copy cannot be given its name without the risk of
        // replacing one: the copy is made again, under the name itself.
        target.discard();
        Result<TempFile> again = TempFile::createInPlace(toDir, to);
        target = std::move(again).value();
        if (!again)
            return again.status();
        if (const Status filled = fill(target); !filled)
            return filled;
        kept = target.keep(to);
    }
    return kept;
}

Status copyFileNoReplace(const std::string& from, const std::string& to, bool flushData)
{
    if (!acceptable(from))
        return Status::failure(nameError(from));
    if (!acceptable(to))
        return Status::failure(nameError(to));
    // The new file is made in the folder of its name.
    const std::string name = fileNameOf(to);
    UniqueFd folder(sys().openat(AT_FDCWD, folderOf(to).c_str(),
                                 O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return Status::lastError();
    return copyFileNoReplace(AT_FDCWD, from, folder.get(), name, {flushData, nullptr});
}

}  // namespace platform
