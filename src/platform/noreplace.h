// The one rename of the program, which never replaces an existing entry.
//
// Policy, the same for every caller:
//  1. renameat2 with RENAME_NOREPLACE.
//  2. Where the file system has no such flag (EINVAL, ENOSYS, EOPNOTSUPP:
//     NFS, older kernels, some FUSE file systems), a second name by linkat,
//     which never replaces either, then the old name removed. Should the old
//     name refuse to go, the second name is removed again: the entry keeps
//     its old name and the rename failed.
//  3. Where links are refused too (EPERM, EOPNOTSUPP, EINVAL: vfat, exFAT,
//     many FUSE file systems, and folders everywhere), the rename is not
//     possible on this file system and nothing has changed; a caller that
//     can make the name another way (a copy's exclusive create) may.
// Names are byte strings resolved in the folder of the descriptor given
// with them (AT_FDCWD: the current folder).
#pragma once

#include "platform/status.h"

#include <string>

namespace platform {

// Ok when done. EEXIST when the new name is taken (a dangling link
// counts); Status::notPossible, with the rename's own refusal, when this
// file system can do neither step; any other refusal with its errno. Only
// a success changes anything.
Status renameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to);

// The same with paths, resolved against the current folder.
Status renameNoReplace(const std::string& from, const std::string& to);

}  // namespace platform
