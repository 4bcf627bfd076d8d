// A copy's new name must never show an incomplete file, also on a file
// system that cannot make unnamed files (vfat and exfat sticks, some network
// and FUSE file systems): a power cut or an unplugged stick in the middle of
// the copy would otherwise leave a partial file under the name the user
// asked for.
#include "platform/fileops.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using testing_support::FaultSys;
using testing_support::refuse;
using testing_support::ScratchDir;

namespace {

bool entryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// No unnamed files, no clones, no in-kernel copies.
void plainFileSystem(FaultSys& f)
{
    f.onOpen = [&f](const char* p, int flags, mode_t m) {
        if ((flags & O_TMPFILE) == O_TMPFILE)
            return refuse(EOPNOTSUPP);
        return f.Sys::open(p, flags, m);
    };
    f.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    f.onCopyRange = [](int, off_t*, int, off_t*, size_t) {
        return static_cast<ssize_t>(refuse(EXDEV));
    };
}

}  // namespace

TEST(CopyAtomic, NewNameAppearsOnlyCompleteWithoutUnnamedFiles)
{
    ScratchDir d;
    d.write("src", std::string(200000, 's'));
    const std::string to = d.file("dst");
    for (bool flush : {false, true}) {
        SCOPED_TRACE(flush ? "flushed" : "not flushed");
        FaultSys fs;
        plainFileSystem(fs);
        int writes = 0, visibleWhileCopying = 0;
        fs.onWrite = [&](int fd, const void* b, size_t n) -> ssize_t {
            ++writes;
            visibleWhileCopying += entryExists(to);
            return fs.Sys::write(fd, b, n);
        };
        {
            platform::ScopedSys use(fs);
            ASSERT_TRUE(platform::copyFileNoReplace(d.file("src"), to, nullptr, flush));
        }
        EXPECT_GT(writes, 0);
        EXPECT_EQ(visibleWhileCopying, 0) << "the new name showed a partial file";
        EXPECT_EQ(d.read("dst"), std::string(200000, 's'));
        // Nothing else is left in the folder.
        EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src"}));
        ASSERT_EQ(::unlink(to.c_str()), 0);
    }
}
