#include "platform/fileops.h"

#include "platform/failure.h"
#include "platform/foldersync.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

bool isReadOnly(int dirFd, const std::string& name)
{
    struct stat st {};
    if (name.empty() || !acceptableName(name) || sys().fstatat(dirFd, name.c_str(), &st, 0) != 0)
        return false;
    return !S_ISDIR(st.st_mode) && isReadOnlyMode(st.st_mode);
}

bool isReadOnly(const std::string& path) { return isReadOnly(AT_FDCWD, path); }

bool deleteFile(int dirFd, const std::string& name, int* err)
{
    if (name.empty())
        return fail(err, ENOENT);
    if (!acceptableName(name))
        return fail(err, EINVAL);
    if (isReadOnly(dirFd, name))
        return fail(err, EACCES);
    return removeOwnFile(dirFd, name, err);
}

bool deleteOriginal(int dirFd, const std::string& name, int* err)
{
    return syncFolder(dirFd, err) && deleteFile(dirFd, name, err);
}

bool removeOwnFile(int dirFd, const std::string& name, int* err)
{
    if (name.empty())
        return fail(err, ENOENT);
    if (!acceptableName(name))
        return fail(err, EINVAL);
    if (sys().unlinkat(dirFd, name.c_str(), 0) != 0)
        return fail(err, errno ? errno : EIO);
    return true;
}

bool deleteFile(const std::string& path, int* err) { return deleteFile(AT_FDCWD, path, err); }

}  // namespace platform
