#include "platform/makefolder.h"

#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

Status makeFolder(const std::string& path)
{
    if (path.empty())
        return Status::failure(ENOENT);
    if (path.find('\0') != std::string::npos)
        return Status::failure(EINVAL);
    return sys().mkdirat(AT_FDCWD, path.c_str(), 0777) == 0 ? Status() : Status::lastError();
}

Status makeFolders(const std::string& path)
{
    if (path.empty())
        return Status::failure(ENOENT);
    auto& s = sys();
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos < path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (s.mkdirat(AT_FDCWD, part.c_str(), 0755) != 0 && errno != EEXIST)
            return Status::lastError();
    }
    struct stat st {};
    if (s.fstatat(AT_FDCWD, path.c_str(), &st, 0) != 0)
        return Status::lastError();
    return S_ISDIR(st.st_mode) ? Status() : Status::failure(ENOTDIR);
}

}  // namespace platform
