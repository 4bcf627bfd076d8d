// Whole-buffer reads and writes on an open descriptor, through the Sys in
// force, going on after short transfers and EINTR.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes all of `bytes` to `fd`. False with errno set on failure (EIO for a
// write that takes nothing).
bool writeAll(int fd, std::string_view bytes);

// Appends everything that is left to read from `fd` to `out`. False with
// errno set on failure.
bool readAll(int fd, std::string& out);

}  // namespace platform
