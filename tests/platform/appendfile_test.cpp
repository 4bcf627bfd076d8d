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

#include <string>

using namespace testing_support;
using platform::AppendFile;

namespace {

AppendFile openAppend(const std::string& path)
{
    return AppendFile(platform::UniqueFd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600)));
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
        // Some 4.5 MiB: records cross the ends of several views.
        for (int i = 0; i < 3000; ++i) {
            ASSERT_TRUE(f.append(record(i)));
            expected += record(i);
            if (i % 500 == 0) {
                EXPECT_EQ(records(d / "j"), expected) << "after record " << i;
                EXPECT_TRUE(f.mapped());
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

TEST(AppendFile, RecordsGoByPlainWritesWhereTheFileSystemRefusesRoomAheadOrAView)
{
    const struct {
        const char* what;
        void (*refuse)(FaultSys&);
    } cases[] = {
        {"no room ahead", [](FaultSys& f) { f.onFallocate = [](int, int, off_t, off_t) { return refuse(EOPNOTSUPP); }; }},
        {"disk full", [](FaultSys& f) { f.onFallocate = [](int, int, off_t, off_t) { return refuse(ENOSPC); }; }},
        {"no view", [](FaultSys& f) { f.onMmap = [](size_t, int, int, int, off_t) -> void* { errno = ENODEV; return nullptr; }; }},
        {"no view of the second step",
         [](FaultSys& f) {
             f.onMmap = [n = 0](size_t len, int prot, int flags, int fd, off_t at) mutable -> void* {
                 if (++n == 2) {
                     errno = ENODEV;
                     return nullptr;
                 }
                 return platform::Sys().mmap(len, prot, flags, fd, at);
             };
         }},
    };
    for (const auto& c : cases) {
        ScratchDir d;
        FaultSys faults;
        c.refuse(faults);
        platform::ScopedSys use(faults);
        std::string expected;
        {
            AppendFile f = openAppend(d / "j");
            for (int i = 0; i < 1000; ++i) {
                ASSERT_TRUE(f.append(record(i))) << c.what;
                expected += record(i);
            }
            // With no view, nothing ahead of the records: a write would land
            // after zero bytes.
            if (!f.mapped()) {
                EXPECT_EQ(readFile(d / "j"), expected) << c.what;
            }
        }
        EXPECT_EQ(readFile(d / "j"), expected) << c.what;
        EXPECT_GT(faults.count(FaultSys::kWrite), 1) << c.what << ": written by plain writes";
    }
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
