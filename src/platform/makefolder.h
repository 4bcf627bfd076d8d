// Making folders. A folder is only ever made new: an existing entry of the
// name is never replaced (EEXIST).
#pragma once

#include "platform/status.h"

#include <string>

namespace platform {

// Makes the folder `path`.
Status makeFolder(const std::string& path);

// Creates `path` and any missing folder above it; true when `path` is a
// folder afterwards.
Status makeFolders(const std::string& path);

}  // namespace platform
