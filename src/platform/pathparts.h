// The parts of a path, taken apart by its last "/".
#pragma once

#include <string>

namespace platform {

// The folder a path lives in: "." for a bare name, "/" for a name at the root.
std::string folderOf(const std::string& path);

// The last part of a path.
std::string fileNameOf(const std::string& path);

}  // namespace platform
