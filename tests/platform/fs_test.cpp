// Listing a folder, by path and by a folder held open, and the questions
// about folders and paths.
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/syscalls.h"
#include "support/faultsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

using testing_support::CwdGuard;
using testing_support::FaultSys;
using testing_support::ScratchDir;

namespace {

std::vector<std::string> listed(const std::string& folder)
{
    std::vector<std::string> out;
    EXPECT_TRUE(platform::listPlainFiles(folder, [&](const char* n, size_t len) {
        out.emplace_back(n, len);
    }));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST(Listing, KeepsPlainFilesOnly)
{
    ScratchDir d;
    d.write("a.txt");
    d.write("noext");
    d.write(".hidden");
    d.mkdir("sub");
    d.mkdir(".hiddendir");
    ASSERT_EQ(::symlink("a.txt", d.file("link-to-file").c_str()), 0);
    ASSERT_EQ(::symlink("sub", d.file("link-to-dir").c_str()), 0);
    ASSERT_EQ(::symlink("missing", d.file("dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo(d.file("fifo").c_str(), 0644), 0);
    // A name with a line break could not pair with one typed line.
    d.write("two\nlines");
    d.write("carriage\rreturn");
    // A read-only file is still a plain file.
    d.write("readonly");
    ::chmod(d.file("readonly").c_str(), 0444);

    EXPECT_EQ(listed(d.path()),
              (std::vector<std::string>{"a.txt", "link-to-file", "noext", "readonly"}));
}

TEST(Listing, SocketIsASystemEntry)
{
    ScratchDir d;
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string p = d.file("sock");
    ASSERT_LT(p.size(), sizeof addr.sun_path);
    std::copy(p.begin(), p.end(), addr.sun_path);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    d.write("plain");
    EXPECT_EQ(listed(d.path()), std::vector<std::string>{"plain"});
    ::close(s);
}

// Some file systems (many FUSE ones, older XFS) give no entry types: the
// listing then looks at each inode, and keeps exactly the same files.
TEST(Listing, ClassifiesByInodeWhenTheTypeIsUnknown)
{
    ScratchDir d;
    d.write("f");
    d.mkdir("dir");
    ASSERT_EQ(::mkfifo(d.file("p").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("f", d.file("link-to-f").c_str()), 0);
    ASSERT_EQ(::symlink("dir", d.file("link-to-dir").c_str()), 0);
    ASSERT_EQ(::symlink("missing", d.file("dangling").c_str()), 0);
    FaultSys fs;
    int untyped = 0;
    fs.onReaddir = [&](DIR* dir) {
        dirent* e = fs.Sys::readdir(dir);
        if (e) {
            e->d_type = DT_UNKNOWN;
            ++untyped;
        }
        return e;
    };
    std::vector<std::string> got;
    {
        platform::ScopedSys use(fs);
        const platform::Status s =
            platform::listPlainFiles(d.path(), [&](const char* n, size_t len) { got.emplace_back(n, len); });
        EXPECT_TRUE(s) << s.error();
    }
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"f", "link-to-f"}));
    EXPECT_EQ(untyped, 8);  // ".", ".." and the six entries
    EXPECT_GE(fs.count(FaultSys::kStat), 5);
}

TEST(Listing, KeepsNamesThatAreNotUtf8AsBytes)
{
    ScratchDir d;
    const std::string sjis = "\x95\x5C.txt";  // '表' in Shift-JIS
    const std::string latin1 = "caf\xE9";
    d.write(sjis);
    d.write(latin1);
    EXPECT_EQ(listed(d.path()), (std::vector<std::string>{latin1, sjis}));
}

TEST(Listing, MissingFolderFailsWithErrno)
{
    EXPECT_EQ(platform::listPlainFiles("/nonexistent/folder", [](const char*, size_t) {}).error(), ENOENT);
}

// A folder held open lists what its path lists; a folder renamed meanwhile
// is still listed by its descriptor, and a removed one fails to list (the
// system itself reads it as empty) rather than look empty.
TEST(Listing, ByDescriptorFollowsTheFolderAndFailsForARemovedOne)
{
    ScratchDir d;
    d.mkdir("work");
    d.write("work/a.txt");
    d.write("work/.hidden");
    d.mkdir("work/sub");
    const int fd = ::open(d.file("work").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    auto byFd = [&](int* err) {
        std::vector<std::string> out;
        const platform::Status s =
            platform::listPlainFiles(fd, [&](const char* n, size_t len) { out.emplace_back(n, len); });
        *err = s.error();
        const bool ok = s.ok();
        std::sort(out.begin(), out.end());
        return ok ? out : std::vector<std::string>{"<failed>"};
    };
    int err = 0;
    EXPECT_EQ(byFd(&err), listed(d.file("work")));

    ASSERT_EQ(::rename(d.file("work").c_str(), d.file("moved").c_str()), 0);
    d.mkdir("work");
    d.write("work/other");
    d.write("moved/b.txt");
    EXPECT_EQ(byFd(&err), (std::vector<std::string>{"a.txt", "b.txt"}));

    for (const char* n : {"moved/a.txt", "moved/b.txt", "moved/.hidden"})
        ASSERT_EQ(::unlink(d.file(n).c_str()), 0);
    ASSERT_EQ(::rmdir(d.file("moved/sub").c_str()), 0);
    ASSERT_EQ(::rmdir(d.file("moved").c_str()), 0);
    EXPECT_EQ(byFd(&err), std::vector<std::string>{"<failed>"});
    EXPECT_EQ(err, ENOENT);
    ::close(fd);
}

TEST(Folders, EnterReadAndTest)
{
    CwdGuard guard;
    ScratchDir d;
    d.mkdir("sub");
    d.write("file");
    ASSERT_TRUE(platform::enterFolder(d.path()));
    char real[4096];
    ASSERT_NE(::realpath(d.path().c_str(), real), nullptr);
    EXPECT_EQ(platform::currentFolder().value(), std::string(real));
    EXPECT_TRUE(platform::isFolder("sub"));
    EXPECT_FALSE(platform::isFolder("file"));
    EXPECT_FALSE(platform::isFolder(""));
    EXPECT_TRUE(platform::fileExists("file"));
    EXPECT_FALSE(platform::fileExists("sub"));
    ASSERT_EQ(::symlink("nowhere", d.file("dangling").c_str()), 0);
    EXPECT_TRUE(platform::fileExists("dangling"));  // an entry a copy must not replace

    EXPECT_EQ(platform::enterFolder(d.file("missing")).error(), ENOENT);
    EXPECT_EQ(platform::enterFolder(d.file("file")).error(), ENOTDIR);
}

TEST(Folders, IdentityTellsCaseDistinctFoldersApart)
{
    ScratchDir d;
    d.mkdir("A");
    d.mkdir("a");
    d.write("file");
    platform::FileId upper, lower, again, none;
    ASSERT_TRUE(platform::folderId(d.file("A"), upper));
    ASSERT_TRUE(platform::folderId(d.file("a"), lower));
    ASSERT_TRUE(platform::folderId(d.file("A/."), again));
    EXPECT_FALSE(upper == lower);
    EXPECT_TRUE(upper == again);
    EXPECT_EQ(platform::FolderHandle::open(d.file("a")).value().id(), lower);
    EXPECT_FALSE(platform::folderId(d.file("file"), none));
    EXPECT_FALSE(platform::folderId(d.file("missing"), none));
}

TEST(Folders, ErrorMessagesByCode)
{
    const struct {
        int err;
        const char* text;
    } cases[] = {
        {ENOENT, "ファイルが見つかりません"},
        {ENOTDIR, "不正なファイル名です"},
        {EMFILE, "オープンしたファイルが多すぎます"},
        {ENFILE, "オープンしたファイルが多すぎます"},
        {EACCES, "ファイルへのアクセスが拒否されました"},
        {EPERM, "ファイルへのアクセスが拒否されました"},
        {EIO, "I/O エラー (5)"},
        {ENOSPC, "I/O エラー (28)"},
        {ENAMETOOLONG, "I/O エラー (36)"},
        {ELOOP, "I/O エラー (40)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ioErrorMessage(c.err), c.text) << c.err;
        const platform::InOutError e = platform::makeInOutError(c.err);
        EXPECT_EQ(e.code(), c.err);
        EXPECT_STREQ(e.what(), c.text);
    }
}

// Listing a folder under a fault at each of its calls in turn: either the
// listing says it failed, or it lists every plain file. A listing that
// quietly drops a file would shift every later name onto the wrong line.
// The one exception is a symbolic link whose target cannot be looked at:
// like a dangling link it is no plain file (a link into a dead mount must
// not make the whole folder unreadable).
TEST(Listing, NeverSucceedsWithAFileMissingUnderAnyFault)
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

    const int dirFd = ::open(d.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);
    int failed = 0;
    for (bool byFd : {false, true})
    for (int err : {EIO, EACCES, ENOSPC}) {
        for (long k = 1;; ++k) {
            SCOPED_TRACE(byFd ? "by descriptor" : "by path");
            FaultSys faults;
            faults.failNth(k, err);
            std::vector<std::string> got;
            platform::Status listed;
            {
                platform::ScopedSys use(faults);
                auto add = [&](const char* n, size_t len) { got.emplace_back(n, len); };
                listed = byFd ? platform::listPlainFiles(dirFd, add) : platform::listPlainFiles(d.path(), add);
            }
            const bool ok = listed.ok();
            const int e = listed.error();
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
    ::close(dirFd);
}

namespace {

// Makes `faults` look names up in `folder` as a case-folding file system
// does: a name missing as written finds an entry that differs from it only
// in the case of ASCII letters. With `numbersBySpelling`, each spelling
// gets an inode number of its own, as a FUSE file system without stable
// inode numbers gives.
void foldLookups(FaultSys& faults, const std::string& folder, bool numbersBySpelling)
{
    faults.onFstatat = [folder, numbersBySpelling](int dirfd, const char* path, struct stat* st,
                                                   int flags) {
        const int asWritten = ::fstatat(dirfd, path, st, flags);
        if (asWritten == 0 || errno != ENOENT)
            return asWritten;
        DIR* dir = ::opendir(folder.c_str());
        int r = -1;
        while (const struct dirent* e = dir ? ::readdir(dir) : nullptr)
            if (::strcasecmp(e->d_name, path) == 0 && ::fstatat(dirfd, e->d_name, st, flags) == 0) {
                if (numbersBySpelling)
                    st->st_ino += 1000;
                r = 0;
                break;
            }
        if (dir)
            ::closedir(dir);
        if (r != 0)
            errno = ENOENT;
        return r;
    };
}

bool foldsCase(const ScratchDir& d, FaultSys* faults = nullptr)
{
    const int fd = ::open(d.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    std::optional<platform::ScopedSys> use;
    if (faults)
        use.emplace(*faults);
    const bool folds = platform::foldsCase(fd);
    ::close(fd);
    return folds;
}

}  // namespace

TEST(LetterCase, AFolderThatTellsCaseApartSaysSo)
{
    ScratchDir d;
    EXPECT_FALSE(foldsCase(d)) << "an empty folder";
    d.write("Notes.txt");
    EXPECT_FALSE(foldsCase(d));
    // Two names for one file, differing only in case, are still two names.
    ScratchDir linked;
    linked.write("read.me");
    ASSERT_EQ(::link(linked.file("read.me").c_str(), linked.file("READ.ME").c_str()), 0);
    EXPECT_FALSE(foldsCase(linked));
    // A folder without letters in its names is asked with a scratch file,
    // which goes again.
    ScratchDir digits;
    digits.write("001");
    digits.write("\xE5\x86\x99\xE7\x9C\x9F");
    EXPECT_FALSE(foldsCase(digits));
    EXPECT_EQ(digits.names(), (std::vector<std::string>{"001", "\xE5\x86\x99\xE7\x9C\x9F"}));
}

TEST(LetterCase, AFoldingFolderSaysSoWhateverItsInodeNumbers)
{
    for (bool numbersBySpelling : {false, true}) {
        SCOPED_TRACE(numbersBySpelling ? "a number per spelling" : "one number per file");
        ScratchDir d;
        d.write("Notes.txt");
        FaultSys faults;
        foldLookups(faults, d.path(), numbersBySpelling);
        EXPECT_TRUE(foldsCase(d, &faults));

        ScratchDir digits;
        digits.write("001");
        FaultSys scratchFaults;
        foldLookups(scratchFaults, digits.path(), numbersBySpelling);
        EXPECT_TRUE(foldsCase(digits, &scratchFaults));
        EXPECT_EQ(digits.names(), std::vector<std::string>{"001"});
    }
}

// A name the read lists but that has gone since (as a scratch file a FUSE
// file system lists a moment after it went) tells nothing: the scratch
// file asks.
TEST(LetterCase, ANameGoneSinceTheReadLeavesTheQuestionToAScratchFile)
{
    ScratchDir d;
    d.write("001");
    d.write("Gone.txt");
    FaultSys faults;
    foldLookups(faults, d.path(), false);
    faults.onFstatat = [gone = d.file("Gone.txt"), fold = faults.onFstatat](int dirfd, const char* path,
                                                                             struct stat* st, int flags) {
        if (::strcasecmp(path, "gone.txt") == 0)
            ::unlink(gone.c_str());
        return fold(dirfd, path, st, flags);
    };
    EXPECT_TRUE(foldsCase(d, &faults));
    EXPECT_EQ(d.names(), std::vector<std::string>{"001"});
}

TEST(LetterCase, AFolderThatCannotBeReadIsTakenToTellCaseApart)
{
    ScratchDir d;
    d.write("Notes.txt");
    FaultSys faults;
    foldLookups(faults, d.path(), false);
    faults.failNthOf(FaultSys::kDirRead, 1, EIO, /*sticky=*/true);
    EXPECT_FALSE(foldsCase(d, &faults));
}

TEST(LetterCase, FoldingLowersAsciiLettersOnly)
{
    EXPECT_EQ(platform::caseFolded("ReadMe.TXT"), "readme.txt");
    // UTF-8 letters beyond ASCII stay as they are, as vfat leaves them.
    EXPECT_EQ(platform::caseFolded("\xC3\x89t\xC3\xA9.JPG"), "\xC3\x89t\xC3\xA9.jpg");
    EXPECT_EQ(platform::caseFolded("\xEF\xBC\xA1"), "\xEF\xBC\xA1");  // full-width A
}
