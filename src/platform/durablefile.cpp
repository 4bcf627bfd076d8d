#include "platform/durablefile.h"

#include "platform/fdio.h"
#include "platform/pathparts.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "platform/uniquefd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace platform {

namespace {

Status rewriteInPlace(const std::string& path, std::string_view bytes)
{
    auto& s = sys();
    UniqueFd fd(s.openat(AT_FDCWD, path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    if (!fd)
        return Status::lastError();
    Status done = writeAll(fd.get(), bytes);
    if (done && (s.ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || s.fsync(fd.get()) != 0))
        done = Status::lastError();
    if (const Status closed = fd.close(); !closed && done)
        return closed;
    return done;
}

// A file system that keeps no permission bits refuses them.
bool modeRefused(int e) { return e == ENOSYS || e == EPERM || e == EOPNOTSUPP || e == ENOTSUP; }

Status readLink(const std::string& path, std::string& out)
{
    std::string buf(256, '\0');
    for (;;) {
        const ssize_t n = sys().readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0)
            return Status::lastError();
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            out = std::move(buf);
            return {};
        }
        if (buf.size() >= 65536)
            return Status::failure(ENAMETOOLONG);
        buf.resize(buf.size() * 2);
    }
}

// The path of the file that `path` names, its links followed one at a time,
// each only to what has the link's own owner.
Status resolveLinks(const std::string& path, std::string& file)
{
    constexpr int kMaxLinks = 40;  // the kernel's own limit
    auto& s = sys();
    std::string at = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat link {};
        if (s.fstatat(AT_FDCWD, at.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return Status::lastError();
            file = at;  // no file yet
            return {};
        }
        if (!S_ISLNK(link.st_mode)) {
            file = at;
            return {};
        }
        std::string to;
        if (const Status read = readLink(at, to); !read)
            return read;
        if (to.empty())
            return Status::failure(ENOENT);
        const std::string next = to[0] == '/' ? to : folderOf(at) + "/" + to;
        struct stat target {};
        if (s.fstatat(AT_FDCWD, next.c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return Status::lastError();
            // The file would be made in that folder: it is the folder's.
            if (s.fstatat(AT_FDCWD, folderOf(next).c_str(), &target, 0) != 0)
                return Status::lastError();
        }
        if (target.st_uid != link.st_uid)
            return Status::failure(EACCES);
        at = next;
    }
    return Status::failure(ELOOP);
}

}  // namespace

Status replaceFileDurably(const std::string& path, std::string_view bytes)
{
    auto& s = sys();
    std::string file;
    if (const Status resolved = resolveLinks(path, file); !resolved)
        return resolved;
    struct stat st {};
    const bool exists = s.fstatat(AT_FDCWD, file.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return Status::lastError();
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return Status::failure(EISDIR);
        // No write bit at all: read-only, for root as well.
        if ((st.st_mode & 0222) == 0)
            return Status::failure(EACCES);
    }

    const std::string folderPath = folderOf(file);
    UniqueFd folder(s.openat(AT_FDCWD, folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return Status::lastError();
    // A name to rename from: never an unnamed file.
    Result<TempFile> made =
        TempFile::create(folder.get(), exists ? (st.st_mode & 0777) : 0666, /*unnamed=*/false);
    if (!made) {
        if (exists && (made.error() == EACCES || made.error() == EPERM))
            return rewriteInPlace(file, bytes);
        return made.status();
    }
    TempFile tmp = std::move(made).value();
    // The scratch file goes with `tmp` on any failure.
    if (const Status w = writeAll(tmp.fd(), bytes); !w)
        return w;
    if ((exists && s.fchmod(tmp.fd(), st.st_mode & 0777) != 0 && !modeRefused(errno)) ||
        s.fsync(tmp.fd()) != 0)
        return Status::lastError();
    // Renaming over the name replaces whatever is there now, a link put
    // there meanwhile included, and never writes through it.
    if (const Status kept = tmp.keepReplacing(fileNameOf(file)); !kept)
        return kept;
    // The new name itself must survive a crash too.
    UniqueFd dir(s.openat(AT_FDCWD, folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        s.fsync(dir.get());
    return {};
}

}  // namespace platform
