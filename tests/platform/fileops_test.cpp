// The no-overwrite file operations on real files, and with the disk made to
// fail at chosen points.
#include "platform/fileops.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <random>

using namespace testing_support;
using platform::ScopedSys;

namespace {

std::string randomBytes(size_t n, unsigned seed)
{
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(g());
    return s;
}

timespec mtimeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

// The ways a file system can lack the faster calls.
enum class Lacks { nothing, tmpfileCloneAndRange, cloneAndRangeMidway };

void lack(FaultSys& fs, Lacks what)
{
    switch (what) {
    case Lacks::nothing:
        break;
    case Lacks::tmpfileCloneAndRange:
        fs.onOpen = [&fs](const char* p, int flags, mode_t m) {
            if ((flags & O_TMPFILE) == O_TMPFILE)
                return refuse(EOPNOTSUPP);
            return fs.Sys::open(p, flags, m);
        };
        fs.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
        fs.onCopyRange = [](int, off_t*, int, off_t*, size_t) {
            return static_cast<ssize_t>(refuse(EXDEV));
        };
        break;
    case Lacks::cloneAndRangeMidway:
        fs.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
        break;
    }
}

class CopyOnEachFileSystem : public ::testing::TestWithParam<Lacks> {};

TEST_P(CopyOnEachFileSystem, CopiesContentModeAndTimeAndLeavesTheSourceAlone)
{
    ScratchDir d;
    FaultSys fs;
    lack(fs, GetParam());
    ScopedSys scoped(fs);
    struct Case {
        const char* name;
        size_t size;
        mode_t mode;
    } cases[] = {{"empty", 0, 0644}, {"small", 17, 0600}, {"readonly", 4096, 0444},
                 {"big", 3 * 131072 + 5, 0755}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = d / c.name, dst = d / (std::string(c.name) + ".copy");
        const std::string data = randomBytes(c.size, static_cast<unsigned>(c.size));
        writeFile(src, data, c.mode);
        const timespec old = {1000000000, 123456789};
        const timespec times[2] = {old, old};
        ASSERT_EQ(::utimensat(AT_FDCWD, src.c_str(), times, 0), 0);

        int err = 0;
        ASSERT_TRUE(platform::copyFileNoReplace(src, dst, &err)) << err;
        EXPECT_EQ(readFile(dst), data);
        EXPECT_EQ(modeOf(dst), c.mode);
        EXPECT_EQ(mtimeOf(dst).tv_sec, old.tv_sec);
        EXPECT_EQ(mtimeOf(dst).tv_nsec, old.tv_nsec);
        EXPECT_EQ(readFile(src), data);
    }
}

// A large file's copy calls the tick now and then, whichever way its data
// moves, so that the window can repaint; without a tick nothing is called.
TEST_P(CopyOnEachFileSystem, TicksWhileALargeFileMoves)
{
    ScratchDir d;
    const std::string data = randomBytes(5 << 20, 7);
    writeFile(d / "big", data);
    FaultSys fs;
    lack(fs, GetParam());
    // A clone moves no data through us: nothing to tick for.
    fs.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    int ticks = 0;
    platform::setCopyTick([&] { ++ticks; }, 1 << 20);
    {
        ScopedSys use(fs);
        ASSERT_TRUE(platform::copyFileNoReplace(d / "big", d / "copy"));
    }
    EXPECT_GE(ticks, 4);
    EXPECT_LE(ticks, 5);
    EXPECT_EQ(readFile(d / "copy"), data);

    platform::setCopyTick(nullptr);
    ticks = 0;
    ASSERT_TRUE(platform::copyFileNoReplace(d / "big", d / "again"));
    EXPECT_EQ(ticks, 0);
}

TEST_P(CopyOnEachFileSystem, NeverTouchesAnExistingTarget)
{
    ScratchDir d;
    writeFile(d / "src", "new content");
    writeFile(d / "taken", "precious");
    ASSERT_EQ(::symlink("nowhere", (d / "dangling").c_str()), 0);
    ASSERT_EQ(::mkdir((d / "folder").c_str(), 0755), 0);
    FaultSys fs;
    lack(fs, GetParam());
    ScopedSys scoped(fs);
    const auto before = snapshot(d.path());
    for (const char* target : {"taken", "dangling", "folder", "src"}) {
        SCOPED_TRACE(target);
        int err = 0;
        EXPECT_FALSE(platform::copyFileNoReplace(d / "src", d / target, &err));
        EXPECT_EQ(err, EEXIST);
    }
    EXPECT_EQ(snapshot(d.path()), before);
    EXPECT_FALSE(exists(d / "nowhere"));
}

TEST_P(CopyOnEachFileSystem, FailureHalfwayLeavesNothingBehind)
{
    ScratchDir d;
    const std::string data = randomBytes(1 << 20, 7);
    writeFile(d / "src", data);
    const auto before = snapshot(d.path());

    // Fail the data copy after some bytes went out, in whichever way the
    // data travels on this file system.
    FaultSys fs;
    lack(fs, GetParam());
    ScopedSys scoped(fs);
    fs.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    auto range = fs.onCopyRange;
    fs.onCopyRange = [&fs, range](int in, off_t* io, int out, off_t* oo, size_t len) -> ssize_t {
        if (range)
            return range(in, io, out, oo, len);
        if (*io > 0)
            return refuse(ENOSPC);
        return fs.Sys::copyFileRange(in, io, out, oo, 4096);
    };
    size_t written = 0;
    fs.onWrite = [&fs, &written](int fd, const void* b, size_t n) -> ssize_t {
        if (written > 0)
            return refuse(ENOSPC);
        written += n;
        return fs.Sys::write(fd, b, n);
    };
    int err = 0;
    EXPECT_FALSE(platform::copyFileNoReplace(d / "src", d / "dst", &err));
    EXPECT_EQ(err, ENOSPC);
    EXPECT_EQ(snapshot(d.path()), before);
}

INSTANTIATE_TEST_SUITE_P(FileOps, CopyOnEachFileSystem,
                         ::testing::Values(Lacks::nothing, Lacks::tmpfileCloneAndRange,
                                           Lacks::cloneAndRangeMidway),
                         [](const auto& info) {
                             switch (info.param) {
                             case Lacks::nothing:
                                 return "AllCalls";
                             case Lacks::tmpfileCloneAndRange:
                                 return "NoTmpfileNoCloneNoRange";
                             default:
                                 return "NoClone";
                             }
                         });

TEST(CopyFileNoReplace, RefusesWhatIsNotARegularFileWithoutHanging)
{
    ScratchDir d;
    ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir((d / "folder").c_str(), 0755), 0);
    for (const char* src : {"fifo", "folder", "missing"}) {
        SCOPED_TRACE(src);
        // A FIFO without a writer would block a plain open for ever.
        auto done = std::async(std::launch::async, [&] {
            return platform::copyFileNoReplace(d / src, d / "out");
        });
        ASSERT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_FALSE(done.get());
        EXPECT_FALSE(exists(d / "out"));
    }
}

TEST(CopyFileNoReplace, FlushedCopyReachesTheDiskBeforeItIsNamed)
{
    ScratchDir d;
    writeFile(d / "src", "data");
    FaultSys fs;
    ScopedSys scoped(fs);
    ASSERT_TRUE(platform::copyFileNoReplace(d / "src", d / "dst", nullptr, true));
    const int sync = fs.indexOf("fdatasync");
    ASSERT_GE(sync, 0);
    EXPECT_LT(sync, fs.indexOf("linkat"));

    // Without the request no time is spent on it.
    fs.calls.clear();
    ASSERT_TRUE(platform::copyFileNoReplace(d / "src", d / "dst2"));
    EXPECT_EQ(fs.indexOf("fdatasync"), -1);

    // A flush that fails is a failed copy, and nothing is left.
    fs.onFdatasync = [](int) { return refuse(EIO); };
    EXPECT_FALSE(platform::copyFileNoReplace(d / "src", d / "dst3", nullptr, true));
    EXPECT_FALSE(exists(d / "dst3"));
}

TEST(CopyFileNoReplace, BareNamesResolveAgainstTheCurrentFolder)
{
    ScratchDir d;
    writeFile(d / "a.txt", "A");
    CwdGuard cwd(d.path());
    ASSERT_TRUE(platform::copyFileNoReplace("a.txt", "b.txt"));
    EXPECT_EQ(readFile(d / "b.txt"), "A");
}

TEST(DeleteFile, RemovesWritableFilesOnlyEvenForRoot)
{
    ScratchDir d;
    writeFile(d / "rw", "x", 0644);
    writeFile(d / "owner-write-only", "x", 0200);
    writeFile(d / "ro", "x", 0444);
    writeFile(d / "none", "x", 0000);
    ASSERT_EQ(::mkdir((d / "folder").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("ro", (d / "link-to-ro").c_str()), 0);
    struct Case {
        const char* name;
        bool readOnly, deleted;
    } cases[] = {{"rw", false, true},     {"owner-write-only", false, true},
                 {"ro", true, false},     {"none", true, false},
                 {"folder", false, false}, {"missing", false, false},
                 {"link-to-ro", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::isReadOnly(d / c.name), c.readOnly);
        int err = 0;
        EXPECT_EQ(platform::deleteFile(d / c.name, &err), c.deleted);
        EXPECT_EQ(exists(d / c.name), !c.deleted && std::string(c.name) != "missing");
        if (!c.deleted) {
            EXPECT_NE(err, 0);
        }
    }
}

class RenameOnEachFileSystem : public ::testing::TestWithParam<bool> {};

TEST_P(RenameOnEachFileSystem, RenamesButNeverReplaces)
{
    const bool flagMissing = GetParam();
    ScratchDir d;
    writeFile(d / "a", "A");
    writeFile(d / "b", "B");
    ASSERT_EQ(::symlink("nowhere", (d / "dangling").c_str()), 0);
    FaultSys fs;
    if (flagMissing)
        fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) {
            return refuse(EINVAL);
        };
    ScopedSys scoped(fs);

    for (const char* target : {"b", "dangling", "a"}) {
        SCOPED_TRACE(target);
        int err = 0;
        EXPECT_FALSE(platform::renameNoReplace(d / "a", d / target, &err));
        EXPECT_EQ(err, EEXIST);
    }
    EXPECT_EQ(readFile(d / "a"), "A");
    EXPECT_EQ(readFile(d / "b"), "B");

    ASSERT_TRUE(platform::renameNoReplace(d / "a", d / "c"));
    EXPECT_FALSE(exists(d / "a"));
    EXPECT_EQ(readFile(d / "c"), "A");
    EXPECT_EQ(fs.indexOf("linkat") >= 0, flagMissing);

    int err = 0;
    EXPECT_FALSE(platform::renameNoReplace(d / "gone", d / "d", &err));
    EXPECT_EQ(err, ENOENT);
}

INSTANTIATE_TEST_SUITE_P(FileOps, RenameOnEachFileSystem, ::testing::Bool(),
                         [](const auto& info) {
                             return info.param ? "NoRenameFlag" : "RenameFlag";
                         });

TEST(RenameNoReplace, OldNameStaysWhenItCannotBeRemovedAfterLinking)
{
    ScratchDir d;
    writeFile(d / "a", "A");
    FaultSys fs;
    fs.onRenameat2 = [](int, const char*, int, const char*, unsigned) { return refuse(EINVAL); };
    int unlinks = 0;
    fs.onUnlinkat = [&](int dir, const char* p, int flags) {
        if (unlinks++ == 0)
            return refuse(EBUSY);
        return fs.Sys::unlinkat(dir, p, flags);
    };
    ScopedSys scoped(fs);
    EXPECT_FALSE(platform::renameNoReplace(d / "a", d / "b"));
    EXPECT_EQ(readFile(d / "a"), "A");
    EXPECT_FALSE(exists(d / "b"));
}

}  // namespace
