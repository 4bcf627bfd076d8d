// What tells one file (or folder) from another: where it lives (device and
// inode) and, where a caller needs them, its size, modification time and
// permission bits. The three a journal records come first, so that a
// record's fields read in its order.
#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace platform {

struct FileId {
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    uint64_t inode = 0;
    uint64_t device = 0;
    unsigned mode = 0;  // permission bits only
    bool operator==(const FileId&) const = default;
};

// The whole identity of what `st` describes.
FileId identityOf(const struct stat& st);

// Device and inode alone: a folder's identity, which its entries' changes
// (size, time) leave as it is.
FileId placeOf(const struct stat& st);

}  // namespace platform
