// Folder paths as the chooser handles them: lexically, without asking the
// file system.
#pragma once

#include <string>

namespace nx {

// Lexically normalised absolute path: no empty, "." or ".." components and
// no trailing "/" (except for "/" itself). A relative path comes back as it
// was.
std::string normalizePath(const std::string& path);

// True when `path` is `base` or lies below it (both normalised).
bool isWithin(const std::string& path, const std::string& base);

// Joins a folder and an entry name.
std::string joinPath(const std::string& folder, const std::string& name);

// The last component of a normalised path ("/" for the root).
std::string lastComponent(const std::string& path);

}  // namespace nx
