#include "rename/folderondisk.h"

#include "platform/fdio.h"
#include "platform/filecopy.h"
#include "platform/fileops.h"
#include "platform/fs.h"
#include "platform/nameinfo.h"
#include "platform/noreplace.h"
#include "platform/tempfile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace renaming {

FolderOnDisk::FolderOnDisk(int dirFd) : dir_(dirFd) {}

size_t FolderOnDisk::nameMax() const
{
    if (nameMax_ == 0)
        nameMax_ = platform::nameMax(dir_);
    return nameMax_;
}

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

NameState FolderOnDisk::look(const std::string& name, bool& isReadOnly) const
{
    platform::FileId id;
    const platform::NameKind kind = platform::nameKind(dir_, name, &id);
    isReadOnly = kind == platform::NameKind::regular && platform::isReadOnlyMode(id.mode);
    switch (kind) {
    case platform::NameKind::missing:
        return NameState::missing;
    case platform::NameKind::regular:
        return NameState::regular;
    case platform::NameKind::other:
        break;
    }
    return NameState::other;
}

bool FolderOnDisk::foldsCase() const
{
    if (!folds_)
        folds_ = platform::foldsCase(dir_);
    return *folds_;
}

std::optional<platform::FileId> stampOf(int dirFd, const std::string& name)
{
    platform::FileId id;
    if (!platform::fileIdentity(dirFd, name, id))
        return std::nullopt;
    return id;
}

namespace {

// Whether the regular file `part` holds the first bytes of `whole`: all of
// them, or with `shorter` some of them.
bool leadingBytes(int dirFd, const std::string& part, const std::string& whole, bool shorter)
{
    platform::CopySource fp, fw;
    if (!platform::openCopySource(dirFd, part, fp) || !platform::openCopySource(dirFd, whole, fw) ||
        (shorter ? fp.st.st_size > fw.st.st_size : fp.st.st_size != fw.st.st_size))
        return false;
    constexpr size_t kChunk = 256 * 1024;
    std::vector<char> bp(kChunk), bw(kChunk);
    for (off_t at = 0;; at += static_cast<off_t>(kChunk)) {
        const platform::Result<size_t> np = platform::preadAll(fp.fd.get(), bp.data(), kChunk, at);
        if (!np)
            return false;
        const platform::Result<size_t> nw = platform::preadAll(fw.fd.get(), bw.data(), *np, at);
        if (!nw || *np != *nw || std::memcmp(bp.data(), bw.data(), *np) != 0)
            return false;
        if (*np < kChunk)
            return at + static_cast<off_t>(*np) == fp.st.st_size;
    }
}

}  // namespace

bool UndoOnDisk::sameBytes(const std::string& a, const std::string& b) const
{
    return leadingBytes(dir_, a, b, false);
}

bool UndoOnDisk::prefixOf(const std::string& part, const std::string& whole) const
{
    return leadingBytes(dir_, part, whole, true);
}

bool UndoOnDisk::sameEntry(const std::string& a, const std::string& b) const
{
    return platform::oneEntry(dir_, a, b);
}

std::optional<platform::FileId> UndoOnDisk::stamp(const std::string& name) const { return stampOf(dir_, name); }

bool UndoOnDisk::taken(const std::string& name) const
{
    return platform::nameKind(dir_, name) != platform::NameKind::missing;
}

bool UndoOnDisk::plainFile(const std::string& name) const { return platform::isPlainFile(dir_, name); }

platform::Status UndoOnDisk::moveNoReplace(const std::string& from, const std::string& to)
{
    if (const platform::Status r = platform::renameNoReplace(dir_, from, dir_, to); !r.notPossible())
        return r;
    if (const platform::Status copied = platform::copyFileNoReplace(dir_, from, dir_, to, {true, nullptr}); !copied)
        return copied;
    if (const platform::Status s = platform::deleteOriginal(dir_, from); !s) {
        // Both names would hold the file: the old one goes again.
        platform::removeOwnFile(dir_, to);
        return s;
    }
    return {};
}

void UndoOnDisk::removeLeftovers() { platform::removeStaleScratchFiles(dir_); }

// A file undo itself made or proved to be exactly the run's copy goes, and
// not by deleteFile, which keeps every read-only file: a copy keeps its
// original's mode, so the copy of a read-only file has no write bit either,
// and it would stay in the folder for good, though undo knows it for its own.
platform::Status UndoOnDisk::remove(const std::string& name)
{
    return platform::removeOwnFile(dir_, name);
}

}  // namespace renaming
