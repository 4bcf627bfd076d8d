#include "platform/durablefile.h"

#include "platform/failure.h"
#include "platform/fdio.h"
#include "platform/pathparts.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "platform/uniquefd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {

bool rewriteInPlace(const std::string& path, std::string_view bytes, int* err)
{
    auto& s = sys();
    UniqueFd fd(s.openat(AT_FDCWD, path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return fail(err, errno);
    const bool ok = writeAll(fd.get(), bytes) &&
                    s.ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 &&
                    s.fsync(fd.get()) == 0;
    const int e = errno;
    if (!fd.close(err) && ok)
        return false;
    return ok || fail(err, e);
}

}  // namespace

bool replaceFileDurably(const std::string& path, std::string_view bytes, int* err)
{
    auto& s = sys();
    struct stat st {};
    const bool exists = s.fstatat(AT_FDCWD, path.c_str(), &st, 0) == 0;
    if (!exists && errno != ENOENT)
        return fail(err, errno);
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return fail(err, EISDIR);
        // No write bit at all: read-only, for root as well.
        if ((st.st_mode & 0222) == 0)
            return fail(err, EACCES);
        struct stat lst {};
        // A link is followed and its target rewritten, so the link stays.
        if (s.fstatat(AT_FDCWD, path.c_str(), &lst, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(lst.st_mode))
            return rewriteInPlace(path, bytes, err);
    }

    const std::string folderPath = folderOf(path);
    UniqueFd folder(s.openat(AT_FDCWD, folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return fail(err, errno);
    int e = 0;
    // A name to rename from: never an unnamed file.
    TempFile tmp = TempFile::create(folder.get(), &e, exists ? (st.st_mode & 0777) : 0666,
                                    /*unnamed=*/false);
    if (!tmp) {
        if (exists && (e == EACCES || e == EPERM))
            return rewriteInPlace(path, bytes, err);
        return fail(err, e);
    }
    if (!writeAll(tmp.fd(), bytes) || (exists && s.fchmod(tmp.fd(), st.st_mode & 0777) != 0) ||
        s.fsync(tmp.fd()) != 0)
        return fail(err, errno);  // the scratch file goes with `tmp`
    if (!tmp.keepReplacing(fileNameOf(path), err))
        return false;
    // The new name itself must survive a crash too.
    UniqueFd dir(s.openat(AT_FDCWD, folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        s.fsync(dir.get());
    return true;
}

}  // namespace platform
