// The append-only file: what is appended is in the file for every reader at
// once, across the steps of room taken ahead, after a kill, and where the
// file system refuses room ahead or a view; the room ahead never outlives
// the file's owner.
#include "platform/appendfile.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ostream>
#include <string>

using namespace testing_support;
using platform::AppendFile;

namespace {

AppendFile openAppend(const std::string& path)
{
    return AppendFile(platform::UniqueFd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)));
}

// Lines of uneven lengths, some thousands of bytes long, numbered so that a
// lost or doubled one shows.
std::string record(int i) { return "record " + std::to_string(i) + " " + std::string(static_cast<size_t>(i * 37 % 3001), 'x') + "\n"; }

// The file up to the zero bytes of the room taken ahead.
std::string records(const std::string& path)
{
    const std::string text = readFile(path);
    return text.substr(0, text.find('\0'));
}

TEST(AppendFile, EveryRecordIsInTheFileAtOnceAndTheRoomAheadGoesWithTheOwner)
{
    ScratchDir d;
    writeFile(d / "j", "held before\n");
    std::string expected = "held before\n";
    {
        AppendFile f = openAppend(d / "j");
        ASSERT_TRUE(f.valid());
        EXPECT_EQ(f.length(), expected.size());
        // Some 4.5 MiB: records cross several steps of room taken ahead.
        for (int i = 0; i < 3000; ++i) {
            ASSERT_TRUE(f.append(record(i)));
            expected += record(i);
            if (i % 500 == 0) {
                EXPECT_EQ(records(d / "j"), expected) << "after record " << i;
            }
        }
        EXPECT_EQ(f.length(), expected.size());
        ASSERT_TRUE(f.sync());
        AppendFile moved(std::move(f));
        EXPECT_FALSE(f.valid());
        ASSERT_TRUE(moved.append("last\n"));
        expected += "last\n";
    }
    EXPECT_EQ(readFile(d / "j"), expected);
}

TEST(AppendFile, WhereTheFileSystemRefusesRoomAheadRecordsStillFollowOneAnother)
{
    ScratchDir d;
    FaultSys faults;
    faults.onFallocate = [](int, int, off_t, off_t) { return refuse(EOPNOTSUPP); };
    platform::ScopedSys use(faults);
    std::string expected;
    {
        AppendFile f = openAppend(d / "j");
        for (int i = 0; i < 1000; ++i) {
            ASSERT_TRUE(f.append(record(i)));
            expected += record(i);
        }
        EXPECT_EQ(readFile(d / "j"), expected);
    }
    EXPECT_EQ(readFile(d / "j"), expected);
}

// A disk that gives room for `steps` steps of room ahead, then no more.
struct FullDisk {
    const char* name;
    int steps;
    int err;
    bool lastWordsFit;  // the room held back was taken before the disk filled up
};
void PrintTo(const FullDisk& f, std::ostream* os) { *os << f.name; }

class AppendFileOnAFullDisk : public ::testing::TestWithParam<FullDisk> {};

TEST_P(AppendFileOnAFullDisk, RefusesRecordsWholeAndKeepsTheHeldRoomForTheLastWords)
{
    const FullDisk disk = GetParam();
    ScratchDir d;
    FaultSys faults;
    faults.onFallocate = [&, n = 0](int fd, int mode, off_t at, off_t len) mutable {
        if (++n > disk.steps)
            return refuse(disk.err);
        return platform::Sys().fallocate(fd, mode, at, len);
    };
    platform::ScopedSys use(faults);
    std::string expected;
    {
        AppendFile f(platform::UniqueFd(::open((d / "j").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)), 64);
        int i = 0;
        for (; i < 3000 && f.append(record(i)); ++i)
            expected += record(i);
        EXPECT_EQ(errno, disk.err);
        EXPECT_LT(i, 3000);
        // Whole records only, the refused one not begun.
        EXPECT_EQ(records(d / "j"), expected);
        EXPECT_EQ(f.appendHeld("last words\n").ok(), disk.lastWordsFit);
        if (disk.lastWordsFit)
            expected += "last words\n";
    }
    EXPECT_EQ(readFile(d / "j"), expected);
}

INSTANTIATE_TEST_SUITE_P(, AppendFileOnAFullDisk,
                         ::testing::Values(FullDisk{"FullAtTheFirstStep", 0, ENOSPC, false},
                                           FullDisk{"FullAtTheSecondStep", 1, ENOSPC, true},
                                           FullDisk{"OverQuotaAtTheThirdStep", 2, EDQUOT, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another program, or a failing disk, cuts the file short under its writer:
// the writer goes on, each record where it belongs, the bytes lost read as
// zeros; nothing of the file is in the program's memory to fault on.
TEST(AppendFile, AFileCutShortUnderItsWriterCostsRecordsNotTheProgram)
{
    ScratchDir d;
    EXPECT_EXIT(
        {
            AppendFile f = openAppend(d / "j");
            for (int i = 0; i < 200; ++i)
                f.append(record(i));
            ::truncate((d / "j").c_str(), 0);
            bool all = true;
            for (int i = 200; i < 400; ++i)
                all = f.append(record(i)) && all;
            const std::string text = readFile(d / "j");
            const bool placed =
                text.find(record(399)) != std::string::npos && text.find(record(0)) == std::string::npos;
            std::exit(all && placed ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(AppendFile, AKilledProgramLeavesEveryRecordItAppendedFollowedOnlyByZeros)
{
    ScratchDir d;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AppendFile f = openAppend(d / "j");
        for (int i = 0; i < 700; ++i)
            if (!f.append(record(i)))
                ::_exit(1);
        ::kill(::getpid(), SIGKILL);
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::string expected;
    for (int i = 0; i < 700; ++i)
        expected += record(i);
    const std::string text = readFile(d / "j");
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_EQ(text.find_first_not_of('\0', expected.size()), std::string::npos);
}

}  // namespace
