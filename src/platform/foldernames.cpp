#include "platform/foldernames.h"

#include "platform/syscalls.h"
#include "platform/uniquefd.h"

#include <dirent.h>
#include <fcntl.h>

#include <cstring>

namespace platform {

Status forEachName(int dirFd, const NameFn& onName)
{
    auto& s = sys();
    UniqueFd fd(s.openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return Status::lastError();
    DIR* dir = s.fdopendir(fd.get());
    if (!dir)
        return Status::lastError();
    fd.release();
    Status status;
    for (;;) {
        errno = 0;
        const struct dirent* e = s.readdir(dir);
        if (!e) {
            if (errno != 0)
                status = Status::lastError();
            break;
        }
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        onName(std::string_view(n, std::strlen(n)));
    }
    s.closedir(dir);
    return status;
}

}  // namespace platform
