// The fault-injecting Sys itself (so that a fault test can trust that its
// faults happen), and the folder listing under every single fault.
#include "platform/fs.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

using testing_support::FaultSys;
using testing_support::ScratchDir;

namespace {

int openForWrite(const std::string& path)
{
    return platform::sys().open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
}

}  // namespace

TEST(FaultSys, FailsOnlyTheChosenCallOfItsKind)
{
    ScratchDir d;
    FaultSys faults;
    faults.failNthOf(FaultSys::kWrite, 2, ENOSPC);
    platform::ScopedSys use(faults);

    const int fd = openForWrite(d.file("f"));
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::sys().write(fd, "ab", 2), 2);
    errno = 0;
    EXPECT_EQ(platform::sys().write(fd, "cd", 2), -1);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(platform::sys().write(fd, "ef", 2), 2);
    EXPECT_EQ(platform::sys().close(fd), 0);

    EXPECT_EQ(d.read("f"), "abef");  // the failed write wrote nothing
    EXPECT_EQ(faults.faults(), 1);
    EXPECT_EQ(faults.count(FaultSys::kWrite), 3);
    EXPECT_EQ(faults.count(FaultSys::kOpen), 1);
    EXPECT_EQ(faults.count(FaultSys::kClose), 1);
    EXPECT_EQ(faults.count(), 5);
    EXPECT_NE(faults.lastFault().find("write #2"), std::string::npos);
}

TEST(FaultSys, CountsAnyKindFromWhenItIsArmedAndCanStick)
{
    ScratchDir d;
    FaultSys faults;
    platform::ScopedSys use(faults);
    const int fd = openForWrite(d.file("f"));  // call 1, before arming
    ASSERT_GE(fd, 0);
    faults.failNth(2, EIO, /*sticky=*/true);
    EXPECT_EQ(platform::sys().write(fd, "a", 1), 1);  // 1st counted from arming
    EXPECT_EQ(platform::sys().fsync(fd), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(platform::sys().write(fd, "b", 1), -1);  // and every later one
    EXPECT_EQ(faults.faults(), 2);

    // A failing close still releases the descriptor, as Linux does.
    EXPECT_EQ(platform::sys().close(fd), -1);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST(FaultSys, ShortWritesAndUninstall)
{
    ScratchDir d;
    {
        FaultSys faults;
        faults.limitWrites(3);
        platform::ScopedSys use(faults);
        const int fd = openForWrite(d.file("f"));
        ASSERT_GE(fd, 0);
        EXPECT_EQ(platform::sys().write(fd, "abcdef", 6), 3);
        platform::sys().close(fd);
        faults.failNthOf(FaultSys::kOpen, 1, EACCES);
        EXPECT_LT(openForWrite(d.file("g")), 0);
    }
    // Out of scope, the real calls are back.
    const int fd = openForWrite(d.file("g"));
    EXPECT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(d.read("f"), "abc");
}

// Listing a folder under a fault at each of its calls in turn: either the
// listing says it failed, or it lists every plain file. A listing that
// quietly drops a file would shift every later name onto the wrong line.
// The one exception is a symbolic link whose target cannot be looked at:
// like a dangling link it is no plain file (a link into a dead mount must
// not make the whole folder unreadable).
TEST(FaultSys, ListingNeverSucceedsWithAFileMissing)
{
    ScratchDir d;
    std::vector<std::string> want;
    for (const char* n : {"a.txt", "b.txt", "c", "d.jpg", "e.tar.gz"}) {
        d.write(n);
        want.push_back(n);
    }
    ASSERT_EQ(::symlink("a.txt", d.file("link-to-a").c_str()), 0);
    want.push_back("link-to-a");
    d.mkdir("sub");
    std::sort(want.begin(), want.end());

    int failed = 0;
    for (int err : {EIO, EACCES, ENOSPC}) {
        for (long k = 1;; ++k) {
            FaultSys faults;
            faults.failNth(k, err);
            std::vector<std::string> got;
            int e = 0;
            bool ok;
            {
                platform::ScopedSys use(faults);
                ok = platform::listPlainFiles(
                    d.path(), [&](const char* n, size_t len) { got.emplace_back(n, len); }, &e);
            }
            if (faults.faults() == 0) {
                ASSERT_TRUE(ok);
                break;  // k is past the last call: every call has had its fault
            }
            std::sort(got.begin(), got.end());
            if (ok && got != want && faults.count(FaultSys::kStat) > 0) {
                std::vector<std::string> withoutLink = want;
                std::erase(withoutLink, "link-to-a");
                EXPECT_EQ(got, withoutLink) << faults.lastFault();
            } else if (ok)
                EXPECT_EQ(got, want) << faults.lastFault();
            else {
                EXPECT_EQ(e, err) << faults.lastFault();
                ++failed;
            }
        }
    }
    EXPECT_GT(failed, 0);
}
