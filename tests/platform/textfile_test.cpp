// The program's own small files: a file being written is told from one left
// behind by its lock, whoever looks; a line a kill cut short goes before
// anything is added.
#include "platform/textfile.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

using namespace testing_support;

namespace {

TEST(TextFile, AFileIsInUseWhileItsWriterHoldsItWhetherHereOrInAnotherProcess)
{
    ScratchDir d;
    const std::string path = d / "run.journal";
    {
        const platform::Result<platform::UniqueFd> fd = platform::createLocked(path);
        ASSERT_TRUE(fd) << fd.error();
        EXPECT_TRUE(platform::lockHeld(path));
        EXPECT_FALSE(platform::removeUnlocked(path));
        EXPECT_EQ(platform::createLocked(path).error(), EEXIST);
    }
    EXPECT_FALSE(platform::lockHeld(path));

    // A writer in a child process, killed: its lock goes with it.
    ::unlink(path.c_str());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::UniqueFd fd = platform::createLocked(path).value();
        (void)!::write(ready[1], "x", 1);
        for (;;)
            ::pause();
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(platform::lockHeld(path));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(platform::lockHeld(path));
    EXPECT_TRUE(platform::removeUnlocked(path));
    EXPECT_FALSE(exists(path));
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(TextFile, AddsAfterTheLastWholeLineAndReadsTheHead)
{
    ScratchDir d;
    const struct {
        std::string before, after;
    } cases[] = {
        {"", "mark\n"},
        {"a\nb\n", "a\nb\nmark\n"},
        {"a\nb\nhalf a li", "a\nb\nmark\n"},
        {std::string("a\nb\n\0\0\0\0", 8), "a\nb\nmark\n"},  // the room a view took ahead
        {"no whole line", "mark\n"},
    };
    for (const auto& c : cases) {
        writeFile(d / "f", c.before);
        const platform::Status s = platform::appendAfterWholeLines(d / "f", "mark\n");
        ASSERT_TRUE(s) << std::strerror(s.error());
        EXPECT_EQ(readFile(d / "f"), c.after) << c.before;
    }
    EXPECT_EQ(platform::readHead(d / "f", 3), std::optional<std::string>("mar"));
    EXPECT_EQ(platform::readHead(d / "f"), std::optional<std::string>("mark\n"));
    EXPECT_FALSE(platform::readHead(d / "missing"));
    ASSERT_EQ(::symlink("f", (d / "link").c_str()), 0);
    EXPECT_FALSE(platform::readHead(d / "link")) << "links are not followed";
}

}  // namespace
