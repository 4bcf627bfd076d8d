// The copy that never overwrites, on real files, on file systems that lack
// the faster calls, and with the disk made to fail at chosen points; and its
// steps one by one.
#include "platform/filecopy.h"
#include "platform/folder.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <ostream>
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

bool entryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The ways a file system can lack the faster calls.
enum class Lacks { nothing, tmpfileCloneAndRange, cloneAndRangeMidway };

void PrintTo(Lacks l, std::ostream* os)
{
    *os << (l == Lacks::nothing                ? "every call"
            : l == Lacks::tmpfileCloneAndRange ? "no unnamed files, clones or in-kernel copies"
                                               : "no clones");
}

void lack(FaultSys& fs, Lacks what)
{
    switch (what) {
    case Lacks::nothing:
        break;
    case Lacks::tmpfileCloneAndRange:
        plainFileSystem(fs);
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

        const platform::Status copied = platform::copyFileNoReplace(src, dst);
        ASSERT_TRUE(copied) << copied.error();
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
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    ASSERT_TRUE(dir);
    FaultSys fs;
    lack(fs, GetParam());
    // A clone moves no data through us: nothing to tick for.
    fs.onClone = [](int, int) { return refuse(EOPNOTSUPP); };
    int ticks = 0;
    size_t moved = 0;
    const platform::CopyTick tick{[&](size_t n) {
                                      ++ticks;
                                      moved += n;
                                  },
                                  1 << 20};
    {
        ScopedSys use(fs);
        ASSERT_TRUE(
            platform::copyFileNoReplace(dir.fd(), "big", dir.fd(), "copy", {false, &tick}));
    }
    EXPECT_GE(ticks, 4);
    EXPECT_LE(ticks, 5);
    // Each tick tells what moved since the one before: the whole file, but
    // for a last stretch too short to tick for.
    EXPECT_LE(moved, data.size());
    EXPECT_GT(moved, data.size() - (1 << 20));
    EXPECT_EQ(readFile(d / "copy"), data);

    ticks = 0;
    ASSERT_TRUE(platform::copyFileNoReplace(dir.fd(), "big", dir.fd(), "again"));
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
        EXPECT_EQ(platform::copyFileNoReplace(d / "src", d / target).error(), EEXIST);
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
    EXPECT_EQ(platform::copyFileNoReplace(d / "src", d / "dst").error(), ENOSPC);
    EXPECT_EQ(snapshot(d.path()), before);
}

INSTANTIATE_TEST_SUITE_P(FileCopy, CopyOnEachFileSystem,
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
    ASSERT_TRUE(platform::copyFileNoReplace(d / "src", d / "dst", true));
    const int sync = fs.indexOf("fdatasync");
    ASSERT_GE(sync, 0);
    EXPECT_LT(sync, fs.indexOf("linkat"));

    // Without the request no time is spent on it.
    fs.calls.clear();
    ASSERT_TRUE(platform::copyFileNoReplace(d / "src", d / "dst2"));
    EXPECT_EQ(fs.indexOf("fdatasync"), -1);

    // A flush that fails is a failed copy, and nothing is left.
    fs.onFdatasync = [](int) { return refuse(EIO); };
    EXPECT_FALSE(platform::copyFileNoReplace(d / "src", d / "dst3", true));
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

// Names given with a folder's descriptor resolve in that folder, wherever
// the process is.
TEST(CopyFileNoReplace, NamesResolveInTheFolderGiven)
{
    ScratchDir work, elsewhere;
    work.write("a.txt", "work");
    elsewhere.write("a.txt", "elsewhere");
    CwdGuard cwd(elsewhere.path());
    const platform::FolderHandle dir = platform::FolderHandle::open(work.path()).value();
    ASSERT_TRUE(platform::copyFileNoReplace(dir.fd(), "a.txt", dir.fd(), "b.txt"));
    EXPECT_EQ(work.read("b.txt"), "work");
    EXPECT_FALSE(elsewhere.exists("b.txt"));
}

// A copy's new name must never show an incomplete file, also on a file
// system that cannot make unnamed files (vfat and exfat sticks, some network
// and FUSE file systems): a power cut or an unplugged stick in the middle of
// the copy would otherwise leave a partial file under the name the user
// asked for.
TEST(CopyFileNoReplace, NewNameAppearsOnlyCompleteWithoutUnnamedFiles)
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
            ASSERT_TRUE(platform::copyFileNoReplace(d.file("src"), to, flush));
        }
        EXPECT_GT(writes, 0);
        EXPECT_EQ(visibleWhileCopying, 0) << "the new name showed a partial file";
        EXPECT_EQ(d.read("dst"), std::string(200000, 's'));
        // Nothing else is left in the folder.
        EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src"}));
        ASSERT_EQ(::unlink(to.c_str()), 0);
    }
}

// In a folder that takes neither an unnamed file nor a hidden scratch name
// (a file system of short names only), the copy is made under its name
// itself, exclusively; a failure removes it again.
TEST(CopyFileNoReplace, FolderWithoutScratchNamesGetsTheNameMadeExclusively)
{
    ScratchDir d;
    d.write("src", "content");
    FaultSys fs;
    fs.onOpen = [&fs](int dir, const char* p, int flags, mode_t m) {
        if ((flags & O_TMPFILE) == O_TMPFILE)
            return refuse(EOPNOTSUPP);
        if ((flags & O_CREAT) && p[0] == '.')
            return refuse(EINVAL);
        return fs.Sys::openat(dir, p, flags, m);
    };
    ScopedSys use(fs);
    ASSERT_TRUE(platform::copyFileNoReplace(d / "src", d / "dst"));
    EXPECT_EQ(d.read("dst"), "content");
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src"}));

    fs.onFdatasync = [](int) { return refuse(EIO); };
    EXPECT_FALSE(platform::copyFileNoReplace(d / "src", d / "again", true));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src"}));
}

// The steps one by one, as a caller that checks the source between them
// would use them: a name taken by another program while the data moved is
// refused at publishing, the other program's file is left alone and the
// copy leaves nothing behind.
class CopySteps : public ::testing::TestWithParam<bool> {};

TEST_P(CopySteps, NameTakenWhileCopyingIsNotReplaced)
{
    const bool unnamed = GetParam();
    ScratchDir d;
    d.write("src", "ours");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    FaultSys fs;
    if (!unnamed)
        withoutUnnamedFiles(fs);
    ScopedSys use(fs);

    platform::CopySource src;
    ASSERT_TRUE(platform::openCopySource(dir.fd(), "src", src));
    EXPECT_EQ(src.st.st_size, 4);
    {
        platform::TempFile target;
        ASSERT_TRUE(platform::openCopyTarget(dir.fd(), "dst", target));
        EXPECT_EQ(target.kind(), unnamed ? platform::TempFile::Kind::unnamed
                                         : platform::TempFile::Kind::scratch);
        ASSERT_TRUE(platform::copyData(src.fd.get(), target.fd(), src.st.st_size));
        ASSERT_TRUE(platform::copyAttributes(target.fd(), src, false));
        d.write("dst", "theirs");
        EXPECT_EQ(target.keep("dst").error(), EEXIST);
    }
    EXPECT_EQ(d.read("dst"), "theirs");
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src"}));
}

INSTANTIATE_TEST_SUITE_P(FileCopy, CopySteps, ::testing::Bool(), [](const auto& info) {
    return info.param ? "UnnamedTarget" : "ScratchTarget";
});

TEST(CopySteps, SourceThatIsNoRegularFileIsRefusedByItsKind)
{
    ScratchDir d;
    d.mkdir("folder");
    ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0644), 0);
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    const struct {
        const char* name;
        int err;
    } cases[] = {{"folder", EISDIR}, {"fifo", EINVAL}, {"missing", ENOENT}};
    for (const auto& c : cases) {
        platform::CopySource src;
        EXPECT_EQ(platform::openCopySource(dir.fd(), c.name, src).error(), c.err) << c.name;
    }
}

// Between the steps: a source given more bytes after its data was copied
// fails the attribute step, the last before publishing.
TEST(CopySteps, SourceChangedBeforeTheLastStepFailsIt)
{
    ScratchDir d;
    d.write("src", "ours");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    platform::CopySource src;
    ASSERT_TRUE(platform::openCopySource(dir.fd(), "src", src));
    platform::TempFile target;
    ASSERT_TRUE(platform::openCopyTarget(dir.fd(), "dst", target));
    ASSERT_TRUE(platform::copyData(src.fd.get(), target.fd(), src.st.st_size));
    const int fd = ::open(d.file("src").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_EQ(::write(fd, "+theirs", 7), 7);
    ::close(fd);
    EXPECT_EQ(platform::copyAttributes(target.fd(), src, false).error(), platform::kSourceChanged);
}

// A file system that keeps no permission bits refuses fchmod in one of
// three ways; the copy is made all the same. Any other refusal fails it.
TEST(CopyFileNoReplace, ModeRefusedByTheFileSystemIsGoneWithout)
{
    const struct {
        int err;
        bool copied;
    } cases[] = {{ENOSYS, true}, {EPERM, true}, {EOPNOTSUPP, true}, {EIO, false}, {EROFS, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::strerror(c.err));
        ScratchDir d;
        writeFile(d / "src", "content", 0644);
        FaultSys fs;
        fs.onFchmod = [e = c.err](int, mode_t) { return refuse(e); };
        platform::Status copied;
        {
            ScopedSys use(fs);
            copied = platform::copyFileNoReplace(d / "src", d / "dst");
        }
        EXPECT_EQ(copied.ok(), c.copied);
        if (c.copied) {
            EXPECT_EQ(readFile(d / "dst"), "content");
        } else {
            EXPECT_EQ(copied.error(), c.err);
            EXPECT_EQ(d.names(), std::vector<std::string>{"src"});
        }
    }
}

// On a FUSE vfat or exFAT file system (no unnamed files, no mode bits, no
// no-replace rename, no links) the copy is made under its name, made
// exclusively: it never replaces a file, and a failure leaves nothing.
TEST(CopyFileNoReplace, OnAFuseFileSystemTheCopyIsMadeUnderItsNameExclusively)
{
    ScratchDir d;
    const std::string data = randomBytes(300000, 9);
    writeFile(d / "src", data);
    writeFile(d / "taken", "theirs");
    FaultSys fs;
    fuseFileSystem(fs);
    ScopedSys use(fs);
    const platform::Status copied = platform::copyFileNoReplace(d / "src", d / "dst", true);
    ASSERT_TRUE(copied) << copied.error();
    EXPECT_TRUE(readFile(d / "dst") == data);
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src", "taken"}));

    EXPECT_EQ(platform::copyFileNoReplace(d / "src", d / "taken").error(), EEXIST);
    EXPECT_EQ(readFile(d / "taken"), "theirs");

    // The disk fills up during the copy under the name: the name goes again.
    int writes = 0;
    fs.onWrite = [&](int fd, const void* b, size_t n) -> ssize_t {
        if (++writes > 3)
            return refuse(ENOSPC);
        return fs.Sys::write(fd, b, n);
    };
    fs.onCopyRange = [](int, off_t*, int, off_t*, size_t) {
        return static_cast<ssize_t>(refuse(EXDEV));
    };
    EXPECT_EQ(platform::copyFileNoReplace(d / "src", d / "new").error(), ENOSPC);
    EXPECT_EQ(d.names(), (std::vector<std::string>{"dst", "src", "taken"}));
}

// A clone takes the whole file as it is when cloned: one that has grown
// since it was opened is more than the copy's size, and is refused.
TEST(CopySteps, CloneOfAFileThatGrewIsRefused)
{
    ScratchDir d;
    d.write("src", "12345");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    for (size_t cloned : {5u, 9u}) {
        SCOPED_TRACE(cloned);
        FaultSys fs;
        fs.onClone = [&fs, cloned](int out, int) {
            return fs.Sys::write(out, "123456789", cloned) == static_cast<ssize_t>(cloned) ? 0 : -1;
        };
        ScopedSys use(fs);
        platform::CopySource src;
        ASSERT_TRUE(platform::openCopySource(dir.fd(), "src", src));
        platform::TempFile target;
        ASSERT_TRUE(platform::openCopyTarget(dir.fd(), "dst", target));
        const platform::Status copied = platform::copyData(src.fd.get(), target.fd(), src.st.st_size);
        EXPECT_EQ(copied.ok(), cloned == 5);
        if (cloned != 5) {
            EXPECT_EQ(copied.error(), platform::kSourceChanged);
        }
    }
}

// A file system that does no clones is asked once in a run of copies; one
// that refused to clone one file is asked again for the next.
TEST(CopyData, AFileSystemWithoutClonesIsAskedOnce)
{
    ScratchDir d;
    d.write("src", "12345");
    const platform::FolderHandle dir = platform::FolderHandle::open(d.path()).value();
    for (const int refusal : {EOPNOTSUPP, EINVAL}) {
        SCOPED_TRACE(refusal);
        FaultSys fs;
        fs.onClone = [refusal](int, int) { return refuse(refusal); };
        ScopedSys use(fs);
        bool refused = false;
        for (int i = 0; i < 3; ++i) {
            platform::CopySource src;
            ASSERT_TRUE(platform::openCopySource(dir.fd(), "src", src));
            platform::TempFile target;
            ASSERT_TRUE(platform::openCopyTarget(dir.fd(), "dst", target));
            ASSERT_TRUE(platform::copyData(src.fd.get(), target.fd(), src.st.st_size, nullptr, &refused));
            EXPECT_EQ(readFile("/proc/self/fd/" + std::to_string(target.fd())), "12345");
        }
        EXPECT_EQ(refused, refusal == EOPNOTSUPP);
        EXPECT_EQ(std::count(fs.calls.begin(), fs.calls.end(), "clone"), refusal == EOPNOTSUPP ? 1 : 3);
    }
}

}  // namespace
