#include "platform/noreplace.h"

#include "platform/foldersync.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {

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

Status renameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to)
{
    if (from.empty() || to.empty())
        return Status::failure(ENOENT);
    // A NUL byte would reach the system cut short, as another name.
    if (from.find('\0') != std::string::npos || to.find('\0') != std::string::npos)
        return Status::failure(EINVAL);
    auto& s = sys();
    if (s.renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    const int e = errno;
    if (!lacksRenameFlag(e))
        return Status::failure(e);
    if (s.linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0) {
        const int le = errno;
        return refusesLinks(le) ? Status::notPossible(e) : Status::failure(le);
    }
    // The second name is on the disk before the first one goes.
    if (const Status synced = syncFolder(toDir); !synced) {
        dropSecondName(toDir, to, fromDir, from);
        return synced;
    }
    if (s.unlinkat(fromDir, from.c_str(), 0) != 0) {
        const int ue = errno;
        // A removal reported failed may have happened all the same (a reply
        // lost and the call sent again, on NFS): the new name then holds
        // the only link, and the move is done.
        if (!dropSecondName(toDir, to, fromDir, from))
            return {};
        return Status::failure(ue);
    }
    return {};
}

Status renameNoReplace(const std::string& from, const std::string& to)
{
    return renameNoReplace(AT_FDCWD, from, AT_FDCWD, to);
}

}  // namespace platform
