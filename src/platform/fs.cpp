#include "platform/fs.h"

#include "platform/codepage.h"
#include "platform/syscalls.h"
#include "platform/tempfile.h"
#include "platform/uniquefd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// A name holding a character that the new-names editor takes for a line
// end (paragraph and line separators, and the two it reserves for frames)
// could not pair with one typed line either.
bool splitsATypedLine(std::string_view name)
{
    // Each of them starts with one of two lead bytes, rare in a name: the
    // code page is asked only once one is there.
    for (size_t at = 0; at < name.size(); ++at) {
        const char c = name[at];
        if (c != '\xE2' && c != '\xEF')
            continue;
        for (std::string_view seq : {"\xE2\x80\xA8", "\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"})
            if (name.substr(at, 3) == seq)
                return systemCodePage() == CodePage::utf8;
    }
    return false;
}

EntryKind kindByType(int dirFd, const char* name, unsigned char dType, Status& unknown);

// The kind of one entry of the open folder `dirFd`; its d_type may be
// DT_UNKNOWN, in which case the inode is looked at. `unknown` is set when
// the inode could not be looked at for a reason other than the entry being
// a dangling link or gone meanwhile.
EntryKind classify(int dirFd, const char* name, unsigned char dType, Status& unknown)
{
    if (name[0] == '.')
        return name[1] == '\0' || (name[1] == '.' && name[2] == '\0') ? EntryKind::directory
                                                                      : EntryKind::hidden;
    const EntryKind kind = kindByType(dirFd, name, dType, unknown);
    if (breaksALine(name))
        return kind == EntryKind::plain ? EntryKind::unpairable : EntryKind::system;
    return kind;
}

// The kind of an entry by its type alone, its name aside.
EntryKind kindByType(int dirFd, const char* name, unsigned char dType, Status& unknown)
{
    switch (dType) {
    case DT_REG:
        return EntryKind::plain;
    case DT_DIR:
        return EntryKind::directory;
    case DT_LNK:
    case DT_UNKNOWN:
        break;  // only the inode can tell
    default:
        return EntryKind::system;
    }
    struct stat st {};
    if (sys().fstatat(dirFd, name, &st, 0) != 0) {
        // A dangling link, a link loop, or gone meanwhile, is no plain file;
        // any other failure leaves the kind unknown.
        // A link that cannot be followed for any reason is such an entry too.
        if (dType != DT_LNK && errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
            unknown = Status::lastError();
        return EntryKind::system;
    }
    if (S_ISREG(st.st_mode))
        return EntryKind::plain;
    if (S_ISDIR(st.st_mode))
        return EntryKind::directory;
    return EntryKind::system;
}

// Reads the open folder `dir` to its end and closes it.
Status readEntries(DIR* dir, const EntryFn& onEntry, bool strict)
{
    const int fd = ::dirfd(dir);
    Status status;
    for (;;) {
        errno = 0;
        struct dirent* e = sys().readdir(dir);
        if (!e) {
            if (errno != 0)
                status = Status::lastError();
            break;
        }
        Status unknown;
        const EntryKind kind = classify(fd, e->d_name, e->d_type, unknown);
        if (strict && !unknown)
            status = unknown;
        onEntry(e->d_name, std::strlen(e->d_name), kind);
    }
    sys().closedir(dir);
    return status;
}

// An entry of unknown kind fails the listing rather than go missing from
// it: a list with a gap would pair later names with wrong lines.
EntryFn plainOnly(const FileFn& onFile)
{
    return [&onFile](const char* name, size_t len, EntryKind kind) {
        if (kind == EntryKind::plain)
            onFile(name, len);
    };
}

}  // namespace

Status forEachEntry(const std::string& folder, const EntryFn& onEntry, bool strict)
{
    DIR* dir = sys().opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return Status::lastError();
    return readEntries(dir, onEntry, strict);
}

namespace {

// A read of the open folder `dirFd` from its start, on a descriptor of its
// own; null with `failed` set when the folder cannot be opened.
DIR* openEntries(int dirFd, Status& failed)
{
    auto& s = sys();
    UniqueFd fd(s.openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = fd ? s.fdopendir(fd.get()) : nullptr;
    if (!dir) {
        failed = Status::lastError();
        return nullptr;
    }
    fd.release();
    return dir;
}

// Reads the names of the open folder `dirFd` but "." and "..", in the
// folder's own order, until `stop` says so: true when it did, false at the
// folder's end, a failure when the folder cannot be read.
Result<bool> readNamesUntil(int dirFd, const std::function<bool(std::string_view name)>& stop)
{
    Status failed;
    DIR* dir = openEntries(dirFd, failed);
    if (!dir)
        return failed;
    Result<bool> found = false;
    for (;;) {
        errno = 0;
        const struct dirent* e = sys().readdir(dir);
        if (!e) {
            if (errno != 0)
                found = Status::lastError();
            break;
        }
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        if (stop(std::string_view(n, std::strlen(n)))) {
            found = true;
            break;
        }
    }
    sys().closedir(dir);
    return found;
}

}  // namespace

Status forEachEntry(int dirFd, const EntryFn& onEntry, bool strict)
{
    auto& s = sys();
    Status failed;
    DIR* dir = openEntries(dirFd, failed);
    if (!dir)
        return failed;
    if (const Status read = readEntries(dir, onEntry, strict); !read)
        return read;
    // The system reads a removed folder as an empty one.
    struct stat st {};
    if (s.fstat(dirFd, &st) == 0 && st.st_nlink == 0)
        return Status::failure(ENOENT);
    return {};
}

Status forEachName(int dirFd, const NameFn& onName)
{
    return readNamesUntil(dirFd, [&onName](std::string_view n) {
               onName(n);
               return false;
           }).status();
}

Status listPlainFiles(const std::string& folder, const FileFn& onFile)
{
    return forEachEntry(folder, plainOnly(onFile), true);
}

Status listPlainFiles(int dirFd, const FileFn& onFile)
{
    return forEachEntry(dirFd, plainOnly(onFile), true);
}

bool breaksALine(std::string_view name)
{
    for (const char c : name)
        if (c == '\r' || c == '\n')
            return true;
    return splitsATypedLine(name);
}

Status enterFolder(const std::string& path)
{
    return sys().chdir(path.c_str()) == 0 ? Status() : Status::lastError();
}

Result<std::string> currentFolder()
{
    std::string buf(4096, '\0');
    for (;;) {
        if (sys().getcwd(buf.data(), buf.size())) {
            buf.resize(std::strlen(buf.c_str()));
            return buf;
        }
        if (errno != ERANGE)
            return Status::lastError();
        buf.resize(buf.size() * 2);
    }
}

bool isFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && sys().fstatat(AT_FDCWD, path.c_str(), &st, 0) == 0 &&
           S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    if (path.empty())
        return false;
    // A dangling link is still an entry that a new file must not replace.
    if (sys().fstatat(AT_FDCWD, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(st.st_mode) && sys().fstatat(AT_FDCWD, path.c_str(), &st, 0) != 0)
        return true;
    return !S_ISDIR(st.st_mode);
}

bool folderId(const std::string& path, FileId& id)
{
    struct stat st {};
    if (path.empty() || sys().fstatat(AT_FDCWD, path.c_str(), &st, 0) != 0 ||
        !S_ISDIR(st.st_mode))
        return false;
    id = placeOf(st);
    return true;
}

namespace {

// `name` with the case of its ASCII letters swapped: `name` itself when it
// has none.
std::string caseSwapped(std::string name)
{
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// Whether `swapped`, the entry `name` with its letters' case swapped, is
// that entry again.
bool sameEntry(int dirFd, const std::string& name, const std::string& swapped)
{
    struct stat a {}, b {};
    if (sys().fstatat(dirFd, swapped.c_str(), &b, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (sys().fstatat(dirFd, name.c_str(), &a, AT_SYMLINK_NOFOLLOW) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino && (a.st_nlink == 1 || S_ISDIR(a.st_mode)))
        return true;
    // Two links to one file, two files, or a FUSE file system that numbers
    // a file by the name it was looked up by: only a name of its own in the
    // listing makes `swapped` another entry.
    const Result<bool> found = readNamesUntil(dirFd, [&](std::string_view n) { return swapped == n; });
    return found.ok() && !found.value();
}

}  // namespace

bool foldsCase(int dirFd)
{
    std::string name;
    const Result<bool> found = readNamesUntil(dirFd, [&](std::string_view n) {
        if (caseSwapped(std::string(n)) == n)
            return false;
        name = n;
        return true;
    });
    if (!found)
        return false;
    if (found.value()) {
        if (sameEntry(dirFd, name, caseSwapped(name)))
            return true;
        // Unless the name went after the read (a scratch file of a moment
        // ago, which a FUSE file system may still list), the folder tells
        // case apart.
        struct stat st {};
        if (sys().fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            return false;
    }
    // No name to ask with: a scratch file is made for the question, under a
    // name that no one else uses.
    TempFile probe = TempFile::create(dirFd, 0600, /*unnamed=*/false).value();
    if (probe.name().empty())
        return false;
    struct stat st {};
    const bool folds =
        sys().fstatat(dirFd, caseSwapped(probe.name()).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    probe.discard();
    return folds;
}

std::string caseFolded(std::string name)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace platform
