// Making folders. A folder is only ever made new: an existing entry of the
// name is never replaced (EEXIST).
#pragma once

#include <string>

namespace platform {

// Makes the folder `path`; false with `err` on failure.
bool makeFolder(const std::string& path, int* err = nullptr);

// Creates `path` and any missing folder above it; true when `path` is a
// folder afterwards.
bool makeFolders(const std::string& path, int* err = nullptr);

}  // namespace platform
