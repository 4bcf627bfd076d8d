#include "rename/folderondisk.h"

#include "platform/filecopy.h"
#include "platform/fileops.h"
#include "platform/nameinfo.h"
#include "platform/noreplace.h"
#include "platform/syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace renaming {

FolderOnDisk::FolderOnDisk(int dirFd) : dir_(dirFd), nameMax_(platform::nameMax(dirFd)) {}

NameState FolderOnDisk::state(const std::string& name) const
{
    switch (platform::nameKind(dir_, name)) {
    case platform::NameKind::missing:
        return NameState::missing;
    case platform::NameKind::regular:
        return NameState::regular;
    case platform::NameKind::other:
        return NameState::other;
    }
    return NameState::other;
}

bool FolderOnDisk::readOnly(const std::string& name) const { return platform::isReadOnly(dir_, name); }

std::optional<FileStamp> stampOf(int dirFd, const std::string& name)
{
    struct stat st {};
    if (name.empty() || platform::sys().fstatat(dirFd, name.c_str(), &st, 0) != 0 ||
        !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{static_cast<uint64_t>(st.st_size),
                     static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     static_cast<uint64_t>(st.st_ino)};
}

namespace {

// Removes a file undo itself made or proved to be exactly the run's copy.
// Not by deleteFile, which keeps every read-only file: a copy keeps its
// original's mode, so the copy of a read-only file has no write bit either,
// and it would stay in the folder for good, though undo knows it for its own.
int removeOwn(int dirFd, const std::string& name)
{
    if (!platform::acceptableName(name))
        return EINVAL;
    return platform::sys().unlinkat(dirFd, name.c_str(), 0) == 0 ? 0 : (errno ? errno : EIO);
}

}  // namespace

std::optional<FileStamp> UndoOnDisk::stamp(const std::string& name) const { return stampOf(dir_, name); }

bool UndoOnDisk::taken(const std::string& name) const
{
    return platform::nameKind(dir_, name) != platform::NameKind::missing;
}

int UndoOnDisk::moveNoReplace(const std::string& from, const std::string& to)
{
    const auto r = platform::renameNoReplace(dir_, from, dir_, to);
    switch (r.status) {
    case platform::RenameStatus::done:
        return 0;
    case platform::RenameStatus::targetExists:
        return EEXIST;
    case platform::RenameStatus::failed:
        return r.error ? r.error : EIO;
    case platform::RenameStatus::notPossible:
        break;
    }
    int e = 0;
    if (!platform::copyFileNoReplace(dir_, from, dir_, to, &e, {true, nullptr}))
        return e ? e : EIO;
    if (!platform::deleteFile(dir_, from, &e)) {
        // Both names would hold the file: the old one goes again.
        removeOwn(dir_, to);
        return e ? e : EIO;
    }
    return 0;
}

int UndoOnDisk::remove(const std::string& name)
{
    return removeOwn(dir_, name);
}

}  // namespace renaming
