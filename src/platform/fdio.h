// Whole-buffer reads and writes on an open descriptor, through the Sys in
// force, going on after short transfers and EINTR.
#pragma once

#include "platform/status.h"

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Writes all of `bytes` to `fd` (EIO for a write that takes nothing).
Status writeAll(int fd, std::string_view bytes);

// Writes all of `bytes` at `offset`, leaving the file offset alone.
Status pwriteAll(int fd, std::string_view bytes, off_t offset);

// Appends everything that is left to read from `fd` to `out`.
Status readAll(int fd, std::string& out);

// Reads up to `n` bytes at `offset` into `buf`, leaving the file offset
// alone: the bytes read, fewer only at the file's end.
Result<size_t> preadAll(int fd, char* buf, size_t n, off_t offset);

}  // namespace platform
