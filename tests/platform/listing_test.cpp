#include "platform/error.h"
#include "platform/fs.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

using testing_support::CwdGuard;
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

TEST(Listing, ClassifiesByInodeWhenTheTypeIsUnknown)
{
    ScratchDir d;
    d.write("f");
    d.mkdir("dir");
    ASSERT_EQ(::mkfifo(d.file("p").c_str(), 0644), 0);
    const int fd = ::open(d.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::classifyEntry(fd, "f", DT_UNKNOWN), platform::EntryKind::plain);
    EXPECT_EQ(platform::classifyEntry(fd, "dir", DT_UNKNOWN), platform::EntryKind::directory);
    EXPECT_EQ(platform::classifyEntry(fd, "p", DT_UNKNOWN), platform::EntryKind::system);
    EXPECT_EQ(platform::classifyEntry(fd, "gone", DT_UNKNOWN), platform::EntryKind::system);
    EXPECT_EQ(platform::classifyEntry(fd, ".", DT_DIR), platform::EntryKind::directory);
    EXPECT_EQ(platform::classifyEntry(fd, "..", DT_DIR), platform::EntryKind::directory);
    ::close(fd);
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
    int err = 0;
    EXPECT_FALSE(platform::listPlainFiles("/nonexistent/folder", [](const char*, size_t) {}, &err));
    EXPECT_EQ(err, ENOENT);
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
    EXPECT_EQ(platform::currentFolder(), std::string(real));
    EXPECT_TRUE(platform::isFolder("sub"));
    EXPECT_FALSE(platform::isFolder("file"));
    EXPECT_FALSE(platform::isFolder(""));
    EXPECT_TRUE(platform::fileExists("file"));
    EXPECT_FALSE(platform::fileExists("sub"));
    ASSERT_EQ(::symlink("nowhere", d.file("dangling").c_str()), 0);
    EXPECT_TRUE(platform::fileExists("dangling"));  // an entry a copy must not replace

    int err = 0;
    EXPECT_FALSE(platform::enterFolder(d.file("missing"), &err));
    EXPECT_EQ(err, ENOENT);
    EXPECT_FALSE(platform::enterFolder(d.file("file"), &err));
    EXPECT_EQ(err, ENOTDIR);
}

TEST(Folders, IdentityTellsCaseDistinctFoldersApart)
{
    ScratchDir d;
    d.mkdir("A");
    d.mkdir("a");
    platform::FolderId upper, lower, again;
    ASSERT_TRUE(platform::folderId(d.file("A"), upper));
    ASSERT_TRUE(platform::folderId(d.file("a"), lower));
    ASSERT_TRUE(platform::folderId(d.file("A/."), again));
    EXPECT_FALSE(upper == lower);
    EXPECT_TRUE(upper == again);
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
