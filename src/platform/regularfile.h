// Regular files opened for reading only: a name that has become a FIFO or a
// device meanwhile is refused instead of blocking the reader, and a file is
// read whole only up to a limit.
#pragma once

#include "platform/status.h"
#include "platform/uniquefd.h"

#include <sys/stat.h>

#include <cstddef>
#include <string>

namespace platform {

// Opens `name` in the folder of `dirFd` (links followed) for reading when it
// is a regular file, with `st` (where given) what the open file is; EISDIR
// for a folder, EINVAL for anything else.
Result<UniqueFd> openRegular(int dirFd, const std::string& name, struct stat* st = nullptr);

// A path that names the open file `fd` itself, for a library that opens
// files by path: it reaches that file whatever its name has become.
std::string pathOfOpenFile(int fd);

// Reads the regular file at `path` (links followed) into `out`. Refused with
// EFBIG when it holds more than `limit` bytes, as openRegular when it is no
// regular file.
Status readRegularFile(const std::string& path, size_t limit, std::string& out);

}  // namespace platform
