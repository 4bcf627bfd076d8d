// The rename run while another program writes to the files it renames, and
// on NFS, which lacks some of the calls a safe rename is made of: a file
// that changes while it is copied is never published torn or chased, its old
// file is never deleted, and nothing another program wrote is lost.
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "rename/renamerun.h"
#include "support/faultsys.h"
#include "support/run.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <ostream>

using namespace testing_support;
using renaming::RunCounts;
using renaming::RunStep;
using Steps = std::vector<std::pair<RunStep, std::string>>;

namespace {

// Runs the files `entries` of `d` with `lines`, with `fs` in force.
Ran runIn(const ScratchDir& d, const std::vector<std::string>& entries, const std::vector<std::string>& lines,
          bool deleteOld, FaultSys& fs)
{
    platform::ScopedSys use(fs);
    return runKept({.folder = d.path(), .entries = entries, .lines = lines, .deleteOld = deleteOld});
}

// Calls `act` (another program at work) each time a copy has moved a
// stretch of data into its new file, whichever way the data travels, and
// counts the bytes moved.
void whileCopying(FaultSys& fs, std::function<void()> act, long long& moved)
{
    fs.limitWrites(64 << 10);  // many stretches, so that `act` comes between them
    auto range = fs.onCopyRange;
    fs.onCopyRange = [&fs, range, act, &moved](int in, off_t* io, int out, off_t* oo,
                                                size_t n) -> ssize_t {
        const ssize_t r = range ? range(in, io, out, oo, n) : fs.Sys::copyFileRange(in, io, out, oo, n);
        if (r > 0) {
            moved += r;
            act();
        }
        return r;
    };
    fs.onWrite = [&fs, act, &moved](int fd, const void* b, size_t n) -> ssize_t {
        const ssize_t r = fs.Sys::write(fd, b, n);
        if (r > 0) {
            moved += r;
            act();
        }
        return r;
    };
}

void append(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// The ways the copy's data can travel.
enum class Way { inKernel, readWrite };

void PrintTo(Way w, std::ostream* os)
{
    *os << (w == Way::inKernel ? "in-kernel copy" : "reads and writes");
}

class FileChangingWhileCopied : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override
    {
        if (GetParam() == Way::readWrite)
            plainFileSystem(fs);
        d.write("movie.mp4", std::string(1 << 20, 'm'));
    }
    ScratchDir d;
    FaultSys fs;
    long long moved = 0;
};

// A program cuts the file short while it is copied: the run says the new
// file could not be made, and no torn copy appears under the new name.
TEST_P(FileChangingWhileCopied, CutShortIsReportedNotCreatedAndNoTornCopyAppears)
{
    bool cut = false;
    whileCopying(fs, [&] {
        if (!std::exchange(cut, true)) {
            ASSERT_EQ(::truncate(d.file("movie.mp4").c_str(), 1000), 0);
        }
    }, moved);
    const Ran o = runIn(d, {"movie.mp4"}, {"film"}, /*deleteOld=*/false, fs);
    EXPECT_TRUE(cut);
    EXPECT_EQ(o.counts, (RunCounts{0, 1, 0, 0}));
    EXPECT_EQ(o.steps, (Steps{{RunStep::createFailed, "film.mp4"}}));
    EXPECT_EQ(d.names(), std::vector<std::string>{"movie.mp4"});
}

// A program keeps appending faster than the copy goes: the copy stops at
// the size the file had when the copy began, and reports failure.
TEST_P(FileChangingWhileCopied, GrowingIsNotChasedPastItsSizeAndIsReportedNotCreated)
{
    int appends = 0;
    // Bounded, so that a copy that chases the file still ends.
    whileCopying(fs, [&] {
        if (++appends <= 200)
            append(d.file("movie.mp4"), std::string(128 << 10, 'g'));
    }, moved);
    const Ran o = runIn(d, {"movie.mp4"}, {"film"}, /*deleteOld=*/false, fs);
    EXPECT_LE(moved, 1 << 20) << "the copy ran past the file's size at its start";
    EXPECT_EQ(o.counts, (RunCounts{0, 1, 0, 0}));
    EXPECT_EQ(o.steps, (Steps{{RunStep::createFailed, "film.mp4"}}));
    EXPECT_EQ(d.names(), std::vector<std::string>{"movie.mp4"});
}

// Overwritten in place, same size: the modification time tells.
TEST_P(FileChangingWhileCopied, OverwrittenInPlaceIsReportedNotCreated)
{
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, d.file("movie.mp4").c_str(), old, 0), 0);
    bool written = false;
    whileCopying(fs, [&] {
        if (std::exchange(written, true))
            return;
        const int fd = ::open(d.file("movie.mp4").c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "edited", 6, 0), 6);
        ::close(fd);
    }, moved);
    const Ran o = runIn(d, {"movie.mp4"}, {"film"}, /*deleteOld=*/false, fs);
    EXPECT_EQ(o.counts, (RunCounts{0, 1, 0, 0}));
    EXPECT_EQ(d.names(), std::vector<std::string>{"movie.mp4"});
}

INSTANTIATE_TEST_SUITE_P(RenameRun, FileChangingWhileCopied,
                         ::testing::Values(Way::inKernel, Way::readWrite),
                         [](const auto& info) {
                             return info.param == Way::inKernel ? "InKernelCopy" : "ReadWrite";
                         });

// With the box ticked on NFS (no no-replace rename) the file is moved by a
// second name and the removal of the first: the same file, nothing copied,
// so whatever a program writes to it before, during and after the run is
// in the renamed file.
TEST(RenameRunOnNfs, WhatAProgramWritesDuringTheRunIsInTheRenamedFile)
{
    ScratchDir d;
    d.write("log.txt", "before\n");
    const int writer = ::open(d.file("log.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    FaultSys fs;
    nfsFileSystem(fs);
    int links = 0;
    fs.onLinkat = [&](int od, const char* op, int nd, const char* np, int flags) {
        const int r = fs.Sys::linkat(od, op, nd, np, flags);
        ++links;
        EXPECT_EQ(::write(writer, "during\n", 7), 7);
        return r;
    };
    const Ran o = runIn(d, {"log.txt"}, {"journal"}, /*deleteOld=*/true, fs);
    ASSERT_EQ(::write(writer, "after\n", 6), 6);
    ::close(writer);
    EXPECT_EQ(links, 1);
    EXPECT_EQ(o.counts, (RunCounts{1, 0, 0, 0}));
    EXPECT_EQ(o.steps, (Steps{{RunStep::created, "journal.txt"}, {RunStep::deleted, "log.txt"}}));
    EXPECT_EQ(d.names(), std::vector<std::string>{"journal.txt"});
    EXPECT_EQ(d.read("journal.txt"), "before\nduring\nafter\n");
}

// Where links are refused too the run copies; a program that writes while
// the copy is made keeps its file, with all it wrote, and the run says the
// new file could not be made. Left alone, the same file is renamed.
TEST(RenameRunOnNfs, WithoutLinksAFileWrittenDuringItsCopyIsNotDeleted)
{
    const std::string content(300000, 'b');
    for (int refusal : {EPERM, EOPNOTSUPP})
        for (bool written : {false, true}) {
            SCOPED_TRACE(std::string(std::strerror(refusal)) + (written ? ", written" : ""));
            ScratchDir d;
            d.write("log.txt", content);
            const int writer = ::open(d.file("log.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            ASSERT_GE(writer, 0);
            FaultSys fs;
            nfsFileSystem(fs);
            fs.onLinkat = [refusal](int, const char*, int, const char*, int) {
                return refuse(refusal);
            };
            long long moved = 0;
            int writes = 0;
            whileCopying(fs, [&] {
                if (written && writes++ == 0) {
                    EXPECT_EQ(::write(writer, "during", 6), 6);
                }
            }, moved);
            const Ran o = runIn(d, {"log.txt"}, {"journal"}, /*deleteOld=*/true, fs);
            ASSERT_EQ(::write(writer, "after", 5), 5);
            ::close(writer);
            if (!written) {
                EXPECT_EQ(o.counts, (RunCounts{1, 0, 0, 0}));
                EXPECT_EQ(d.names(), std::vector<std::string>{"journal.txt"});
                continue;
            }
            EXPECT_EQ(o.counts, (RunCounts{0, 1, 0, 0}));
            EXPECT_EQ(o.steps, (Steps{{RunStep::createFailed, "journal.txt"}}));
            EXPECT_EQ(d.names(), std::vector<std::string>{"log.txt"});
            EXPECT_TRUE(d.read("log.txt") == content + "during" + "after")
                << "what was written is lost: " << d.read("log.txt").size() << " bytes";
        }
}

}  // namespace
