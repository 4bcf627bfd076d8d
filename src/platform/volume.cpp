#include "platform/volume.h"

#include "platform/syscalls.h"

#include <sys/stat.h>
#include <sys/statfs.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace platform {

std::string volumeId(int fd)
{
    struct statfs fs {};
    struct stat st {};
    if (sys().fstatfs(fd, &fs) != 0 || sys().fstat(fd, &st) != 0)
        return {};
    // Many file systems (vfat, xfs) make their identity of the device
    // number, which is not the same at the next mount: it is left out then.
    int words[2];
    static_assert(sizeof words == sizeof fs.f_fsid);
    std::memcpy(words, &fs.f_fsid, sizeof words);
    uint64_t fsid =
        static_cast<uint64_t>(static_cast<uint32_t>(words[1])) << 32 | static_cast<uint32_t>(words[0]);
    const uint64_t dev = static_cast<uint64_t>(st.st_dev);
    if (fsid == dev || fsid == (dev << 32 | dev >> 32))
        fsid = 0;
    char out[96];
    std::snprintf(out, sizeof out, "%" PRIx64 ":%" PRIx64 ":%" PRIu64 "x%" PRIu64 ":%" PRIu64,
                  static_cast<uint64_t>(fs.f_type), fsid, static_cast<uint64_t>(fs.f_bsize),
                  static_cast<uint64_t>(fs.f_blocks), static_cast<uint64_t>(fs.f_files));
    return out;
}

}  // namespace platform
