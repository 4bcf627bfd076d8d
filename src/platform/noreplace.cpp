#include "platform/noreplace.h"

#include "platform/foldersync.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {

RenameResult result(RenameStatus s, int e) { return {s, s == RenameStatus::done ? 0 : e}; }

RenameResult refused(int e)
{
    return result(e == EEXIST ? RenameStatus::targetExists : RenameStatus::failed, e);
}

// renameat2 says the file system has no no-replace flag.
bool lacksRenameFlag(int e) { return e == EINVAL || e == ENOSYS || e == EOPNOTSUPP; }

// linkat says the file system makes no links.
bool refusesLinks(int e) { return e == EPERM || e == EOPNOTSUPP || e == EINVAL; }

bool sameEntryFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes back the second name `to` that a link gave the file `from`, only
// while `from` still names that file: removing `to` otherwise could leave the
// file with no name at all. False when `from` no longer names it (the file
// keeps `to`).
bool dropSecondName(int toDir, const std::string& to, int fromDir, const std::string& from)
{
    auto& s = sys();
    struct stat atTo {}, atFrom {};
    if (s.fstatat(toDir, to.c_str(), &atTo, AT_SYMLINK_NOFOLLOW) != 0)
        return true;  // nothing to take back
    if (s.fstatat(fromDir, from.c_str(), &atFrom, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return false;
        return true;  // cannot be told: both names stay, the file keeps its old one
    }
    if (!sameEntryFile(atTo, atFrom))
        return false;
    s.unlinkat(toDir, to.c_str(), 0);
    return true;
}

}  // namespace

RenameResult renameNoReplace(int fromDir, const std::string& from, int toDir,
                             const std::string& to)
{
    if (from.empty() || to.empty())
        return result(RenameStatus::failed, ENOENT);
    // A NUL byte would reach the system cut short, as another name.
    if (from.find('\0') != std::string::npos || to.find('\0') != std::string::npos)
        return result(RenameStatus::failed, EINVAL);
    auto& s = sys();
    if (s.renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0)
        return result(RenameStatus::done, 0);
    const int e = errno;
    if (!lacksRenameFlag(e))
        return refused(e);
    if (s.linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0) {
        const int le = errno;
        return refusesLinks(le) ? result(RenameStatus::notPossible, e) : refused(le);
    }
    // The second name is on the disk before the first one goes.
    if (const Status synced = syncFolder(toDir); !synced) {
        dropSecondName(toDir, to, fromDir, from);
        return result(RenameStatus::failed, synced.error());
    }
    if (s.unlinkat(fromDir, from.c_str(), 0) != 0) {
        const int ue = errno;
        // A removal reported failed may have happened all the same (a reply
        // lost and the call sent again, on NFS): the new name then holds
        // the only link, and the move is done.
        if (!dropSecondName(toDir, to, fromDir, from))
            return result(RenameStatus::done, 0);
        return result(RenameStatus::failed, ue);
    }
    return result(RenameStatus::done, 0);
}

RenameResult renameNoReplace(const std::string& from, const std::string& to)
{
    return renameNoReplace(AT_FDCWD, from, AT_FDCWD, to);
}

}  // namespace platform
