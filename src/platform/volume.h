// What tells a file system apart from others across its mounts. A device
// number does not: FUSE and NFS take a new one at every mount, and a stick
// plugged in again may come up as another device. The kind of file system,
// its size in blocks and in inodes, and its own identity where it has one
// of its own (one not made from the device number), do.
#pragma once

#include <string>

namespace platform {

// A short text (no spaces, tabs or line breaks) that names the file system
// holding the file open as `fd` (an O_PATH descriptor too), the same at
// every mount of it; empty when the system does not say.
std::string volumeId(int fd);

}  // namespace platform
