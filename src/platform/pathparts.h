// Small helpers the file layer shares: the parts of a path, and writing a
// whole buffer through the Sys in force.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The folder a path lives in: "." for a bare name, "/" for a name at the root.
std::string folderOf(const std::string& path);

// The last part of a path.
std::string fileNameOf(const std::string& path);

// Writes all of `bytes` to `fd`, going on after short writes and EINTR.
// False with errno set on failure (EIO for a write that takes nothing).
bool writeAll(int fd, std::string_view bytes);

// Stores `e` in `*err` where asked, and answers false.
inline bool fail(int* err, int e)
{
    if (err)
        *err = e;
    return false;
}

}  // namespace platform
