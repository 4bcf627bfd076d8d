#include "platform/fileid.h"

namespace platform {

FileId identityOf(const struct stat& st)
{
    FileId id = placeOf(st);
    id.size = static_cast<uint64_t>(st.st_size);
    id.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.mode = st.st_mode & 07777;
    return id;
}

FileId placeOf(const struct stat& st)
{
    FileId id;
    id.inode = st.st_ino;
    id.device = st.st_dev;
    return id;
}

}  // namespace platform
