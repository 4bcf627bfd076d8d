// The owning descriptor: exactly one close, through the Sys in force, and
// errno untouched by it.
#include "platform/syscalls.h"
#include "platform/uniquefd.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace testing_support;
using platform::UniqueFd;

namespace {

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(UniqueFd, ClosesExactlyOnceWhateverHappensToIt)
{
    ScratchDir d;
    d.write("f");
    FaultSys fs;
    platform::ScopedSys use(fs);
    auto open = [&] { return ::open(d.file("f").c_str(), O_RDONLY | O_CLOEXEC); };
    const struct {
        const char* what;
        void (*act)(UniqueFd&);
        long closes;
    } cases[] = {
        {"goes out of scope", [](UniqueFd&) {}, 1},
        {"moved to another owner", [](UniqueFd& f) { UniqueFd other(std::move(f)); }, 1},
        {"moved onto an open one", [](UniqueFd& f) {
             UniqueFd other(::dup(f.get()));
             other = std::move(f);
         }, 2},
        {"reset", [](UniqueFd& f) { f.reset(); }, 1},
        {"closed on purpose", [](UniqueFd& f) { EXPECT_TRUE(f.close()); }, 1},
    };
    for (const auto& c : cases) {
        fs.reset();
        int raw;
        {
            UniqueFd f(open());
            raw = f.get();
            ASSERT_TRUE(f);
            c.act(f);
        }
        EXPECT_FALSE(isOpen(raw)) << c.what;
        EXPECT_EQ(fs.count(FaultSys::kClose), c.closes) << c.what;
    }
}

TEST(UniqueFd, ReleaseGivesTheDescriptorUpWithoutClosing)
{
    ScratchDir d;
    d.write("f");
    int raw;
    {
        UniqueFd f(::open(d.file("f").c_str(), O_RDONLY | O_CLOEXEC));
        raw = f.release();
        EXPECT_FALSE(f);
    }
    EXPECT_TRUE(isOpen(raw));
    ::close(raw);
}

// A failure path gives up its descriptors and still reports why it failed;
// a caller that asks for the close's own verdict gets it.
TEST(UniqueFd, CloseKeepsErrnoAndReportsItsOwnFailureOnlyWhenAsked)
{
    ScratchDir d;
    d.write("f");
    FaultSys fs;
    platform::ScopedSys use(fs);
    {
        UniqueFd f(::open(d.file("f").c_str(), O_RDONLY | O_CLOEXEC));
        fs.failNthOf(FaultSys::kClose, 1, EIO);
        errno = ENOSPC;
    }
    EXPECT_EQ(errno, ENOSPC);

    UniqueFd f(::open(d.file("f").c_str(), O_RDONLY | O_CLOEXEC));
    const int raw = f.get();
    fs.failNthOf(FaultSys::kClose, 1, EIO);
    EXPECT_EQ(f.close().error(), EIO);
    EXPECT_FALSE(f);
    EXPECT_FALSE(isOpen(raw));  // gone all the same, as on Linux
}

}  // namespace
