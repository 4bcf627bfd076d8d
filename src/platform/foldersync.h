// Putting a folder's entries on the disk: a name made in it (a copy's, a
// second link's, a journal's) outlasts a power cut only once its folder
// has been synced, so a caller that is about to remove the only other name
// of the content syncs the folder first.
#pragma once

#include "platform/status.h"

#include <string>

namespace platform {

// Syncs the folder of the directory descriptor `dirFd` (an O_PATH one
// too). A failure only when the disk reports that it could not
// keep the entries (EIO, ENOSPC, EDQUOT); a folder that cannot be opened
// for it, or a file system that keeps no such order, has nothing to sync.
Status syncFolder(int dirFd);

// The same for the folder at `path`.
Status syncFolder(const std::string& path);

}  // namespace platform
