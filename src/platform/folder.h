// A folder held open: its directory descriptor, its path as the platform
// reported it, and its identity (device and inode). Whatever happens to the
// path afterwards (the folder renamed, removed, another put in its place),
// the handle still means the folder it was opened on, so that names resolved
// in it (openat and the like) never reach another folder.
#pragma once

#include "platform/fileid.h"
#include "platform/status.h"
#include "platform/uniquefd.h"

#include <string>

namespace platform {

class FolderHandle {
public:
    // No folder: every call made in it fails (EBADF), none reaches the
    // current folder.
    FolderHandle() = default;

    // Opens the folder at `path`; holding it needs no permission on the
    // folder itself (O_PATH). Its path is `path` as given. A failure when
    // it cannot be opened or is no folder.
    static Result<FolderHandle> open(const std::string& path);

    // The process's current folder, with the path the platform reports for
    // it. A failure where it reports none (a removed folder: ENOENT).
    static Result<FolderHandle> current();

    FolderHandle(FolderHandle&&) noexcept = default;
    FolderHandle& operator=(FolderHandle&&) noexcept = default;

    bool valid() const { return fd_.valid(); }
    explicit operator bool() const { return valid(); }
    // The directory descriptor, for the *at calls; -1 for no folder.
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    // Device and inode, for "is this the same folder".
    const FileId& id() const { return id_; }

    // Makes the folder the process's current folder (fchdir). A removed
    // folder can still be entered; nothing can be made in it.
    Status enter() const;

    // A second handle on the same folder, for a run that owns its own.
    Result<FolderHandle> duplicate() const;

private:
    FolderHandle(UniqueFd fd, std::string path, FileId id)
        : fd_(std::move(fd)), path_(std::move(path)), id_(id)
    {
    }
    static Result<FolderHandle> adopt(int fd, std::string path);

    UniqueFd fd_;
    std::string path_;
    FileId id_;
};

}  // namespace platform
