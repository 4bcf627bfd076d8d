// Whole-buffer transfers: short transfers and interruptions go on to the
// end, and a failure is reported, never taken for the file's end.
#include "platform/fdio.h"
#include "platform/syscalls.h"
#include "platform/uniquefd.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

using namespace testing_support;

namespace {

// A kernel that hands out reads a few bytes at a time and is interrupted
// before every other one; with `failAt`, that call fails with EIO.
class ChoppyReads : public platform::Sys {
public:
    ssize_t pread(int fd, void* buf, size_t n, off_t offset) override
    {
        ++calls;
        if (calls == failAt) {
            errno = EIO;
            return -1;
        }
        if (calls % 2 == 1) {
            errno = EINTR;
            return -1;
        }
        return Sys::pread(fd, buf, n < 3 ? n : 3, offset);
    }
    long calls = 0;
    long failAt = 0;
};

class PreadAll : public testing::Test {
protected:
    void SetUp() override
    {
        dir_.write("f", "0123456789abcdef");
        fd_ = platform::UniqueFd(::open(dir_.file("f").c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(fd_);
    }
    std::string readAt(off_t offset, size_t n)
    {
        std::string buf(n, '\0');
        const platform::Result<size_t> got = platform::preadAll(fd_.get(), buf.data(), n, offset);
        return got ? buf.substr(0, *got) : "<failed>";
    }
    ScratchDir dir_;
    platform::UniqueFd fd_;
};

TEST_F(PreadAll, GoesOnAfterShortAndInterruptedReads)
{
    ChoppyReads choppy;
    platform::ScopedSys use(choppy);
    EXPECT_EQ(readAt(2, 10), "23456789ab");
    EXPECT_GT(choppy.calls, 4);
}

TEST_F(PreadAll, StopsShortOnlyAtTheEndOfTheFile)
{
    ChoppyReads choppy;
    platform::ScopedSys use(choppy);
    EXPECT_EQ(readAt(10, 100), "abcdef");
    EXPECT_EQ(readAt(16, 4), "");
    EXPECT_EQ(readAt(40, 4), "");
}

TEST_F(PreadAll, LeavesTheFileOffsetAlone)
{
    EXPECT_EQ(readAt(4, 4), "4567");
    char c = 0;
    ASSERT_EQ(::read(fd_.get(), &c, 1), 1);
    EXPECT_EQ(c, '0');
}

TEST_F(PreadAll, AFailedReadIsNoEndOfFile)
{
    // Some bytes have come by then: they are no answer either.
    ChoppyReads choppy;
    choppy.failAt = 4;
    platform::ScopedSys use(choppy);
    std::string buf(10, '\0');
    EXPECT_EQ(platform::preadAll(fd_.get(), buf.data(), buf.size(), 0).error(), EIO);
}

}  // namespace
