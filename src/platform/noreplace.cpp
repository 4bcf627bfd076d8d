#include "platform/noreplace.h"

#include "platform/syscalls.h"

#include <fcntl.h>
#include <linux/fs.h>

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
    if (s.unlinkat(fromDir, from.c_str(), 0) != 0) {
        const int ue = errno;
        s.unlinkat(toDir, to.c_str(), 0);
        return result(RenameStatus::failed, ue);
    }
    return result(RenameStatus::done, 0);
}

RenameResult renameNoReplace(const std::string& from, const std::string& to)
{
    return renameNoReplace(AT_FDCWD, from, AT_FDCWD, to);
}

}  // namespace platform
