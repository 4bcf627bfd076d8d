// What a name stands for in a folder, asked without opening anything: the
// kind of entry, a regular file's identity, and the longest name the
// folder's file system takes. Names are resolved in the folder of the
// descriptor given with them.
#pragma once

#include "platform/fileid.h"

#include <cstddef>
#include <string>

namespace platform {

enum class NameKind {
    missing,
    regular,  // a regular file, or a link to one
    other,    // a folder, a FIFO, a device, a dangling link: taken, but no file
};

// With `identity`, a regular file's identity (links followed) is given
// too, from the same look.
NameKind nameKind(int dirFd, const std::string& name, FileId* identity = nullptr);

// True when `name` is a regular file itself, not a link to one.
bool isPlainFile(int dirFd, const std::string& name);

// True when the names `a` and `b` are one entry of the folder: the same
// string, or the same file with a single link, as a file system that folds
// case shows two spellings of one name (two links of a file are two).
bool oneEntry(int dirFd, const std::string& a, const std::string& b);

// False when `name` is no regular file (or cannot be looked at).
bool fileIdentity(int dirFd, const std::string& name, FileId& out);

// The longest name, in bytes, the folder's file system takes; 255 where it
// does not say.
size_t nameMax(int dirFd);

}  // namespace platform
