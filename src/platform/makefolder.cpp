#include "platform/makefolder.h"

#include "platform/failure.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

bool makeFolder(const std::string& path, int* err)
{
    if (path.empty())
        return fail(err, ENOENT);
    if (path.find('\0') != std::string::npos)
        return fail(err, EINVAL);
    return sys().mkdirat(AT_FDCWD, path.c_str(), 0777) == 0 || fail(err, errno);
}

bool makeFolders(const std::string& path, int* err)
{
    if (path.empty())
        return fail(err, ENOENT);
    auto& s = sys();
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos < path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (s.mkdirat(AT_FDCWD, part.c_str(), 0755) != 0 && errno != EEXIST)
            return fail(err, errno);
    }
    struct stat st {};
    if (s.fstatat(AT_FDCWD, path.c_str(), &st, 0) != 0)
        return fail(err, errno);
    return S_ISDIR(st.st_mode) || fail(err, ENOTDIR);
}

}  // namespace platform
