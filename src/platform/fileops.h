// The no-overwrite file operations, gathered for their callers: the copy
// (filecopy.h), the rename (noreplace.h), and here the removal of a file.
// Names are byte strings resolved in the folder of the descriptor given with
// them, or, for the forms without one, against the current folder. None of
// them ever replaces an existing file, and none throws.
#pragma once

#include "platform/filecopy.h"
#include "platform/noreplace.h"
#include "platform/status.h"

#include <string>

namespace platform {

// A name holding a NUL byte would reach the system cut short, as another
// name: every call refuses it (EINVAL).
inline bool acceptableName(const std::string& name)
{
    return name.find('\0') == std::string::npos;
}

// Removes `name` at once. A file whose mode has no write bit at all is
// read-only and is not removed (EACCES), for root as well.
Status deleteFile(int dirFd, const std::string& name);
Status deleteFile(const std::string& path);

// Removes the original `name` whose content another name in the same folder
// holds now (a copy made there): deleteFile, once the folder is synced, so
// that a power cut never takes the new name and leaves the old one gone.
// Fails, leaving the original, where the disk could not keep the folder.
Status deleteOriginal(int dirFd, const std::string& name);

// Removes `name` whatever its mode: for a file the caller made itself or
// proved to be its own (a copy keeps its original's mode, so the copy of a
// read-only file is read-only too).
Status removeOwnFile(int dirFd, const std::string& name);

// True when a file of permission bits `mode` is read-only: no write bit at all.
inline bool isReadOnlyMode(unsigned mode) { return (mode & 0222) == 0; }

// True when `name` is a file whose mode has no write bit at all (a link is
// followed).
bool isReadOnly(int dirFd, const std::string& name);
bool isReadOnly(const std::string& path);

}  // namespace platform
