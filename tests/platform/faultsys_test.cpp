// The fault-injecting Sys itself, so that a fault test can trust that its
// faults happen and its stand-ins stand in.
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

using testing_support::FaultSys;
using testing_support::ScratchDir;

namespace {

int openForWrite(const std::string& path)
{
    return platform::sys().openat(AT_FDCWD, path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
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

// A stand-in for opening files is told the folder the name is resolved in.
TEST(FaultSys, OpenStandInIsToldTheFolder)
{
    ScratchDir d;
    const int dir = ::open(d.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0);
    FaultSys faults;
    std::vector<int> folders;
    faults.onOpen = [&](int at, const char* p, int flags, mode_t m) {
        folders.push_back(at);
        return faults.Sys::openat(at, p, flags, m);
    };
    platform::ScopedSys use(faults);
    const int a = openForWrite(d.file("a"));
    const int b = platform::sys().openat(dir, "b", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    EXPECT_GE(a, 0);
    EXPECT_GE(b, 0);
    EXPECT_EQ(folders, (std::vector<int>{AT_FDCWD, dir}));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(faults.count(FaultSys::kOpen), 2);
    platform::sys().close(a);
    platform::sys().close(b);
    ::close(dir);
}
