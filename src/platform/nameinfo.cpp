#include "platform/nameinfo.h"

#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool isPlainFile(int dirFd, const std::string& name)
{
    struct stat st {};
    return !name.empty() && name.find('\0') == std::string::npos &&
           sys().fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

bool oneEntry(int dirFd, const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    struct stat sa {}, sb {};
    return !a.empty() && !b.empty() && a.find('\0') == std::string::npos && b.find('\0') == std::string::npos &&
           sys().fstatat(dirFd, a.c_str(), &sa, AT_SYMLINK_NOFOLLOW) == 0 &&
           sys().fstatat(dirFd, b.c_str(), &sb, AT_SYMLINK_NOFOLLOW) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino && sa.st_nlink < 2;
}

NameKind nameKind(int dirFd, const std::string& name, FileId* identity)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return NameKind::missing;
    // The entry itself first: a free name, the usual answer for a new one,
    // then costs one look, and a file one; only a link takes a second.
    struct stat st {};
    if (sys().fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || errno == ENOTDIR ? NameKind::missing : NameKind::other;
    // A dangling link is still a name that must not be replaced.
    if (S_ISLNK(st.st_mode) && sys().fstatat(dirFd, name.c_str(), &st, 0) != 0)
        return NameKind::other;
    if (!S_ISREG(st.st_mode))
        return NameKind::other;
    if (identity)
        *identity = identityOf(st);
    return NameKind::regular;
}

bool fileIdentity(int dirFd, const std::string& name, FileId& out)
{
    struct stat st {};
    if (name.empty() || name.find('\0') != std::string::npos ||
        sys().fstatat(dirFd, name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode))
        return false;
    out = identityOf(st);
    return true;
}

size_t nameMax(int dirFd)
{
    const long n = ::fpathconf(dirFd, _PC_NAME_MAX);
    return n > 0 ? static_cast<size_t>(n) : 255;
}

}  // namespace platform
