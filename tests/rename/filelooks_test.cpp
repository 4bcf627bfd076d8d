// Looks taken on a thread from the start of a run: whatever the thread has
// come to, and whichever order it is told, each file's look says what the
// file is.
#include "platform/folder.h"
#include "rename/filelooks.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using namespace testing_support;
using namespace renaming;

namespace {

TEST(EarlyLooks, EachFileIsSeenAsItIsInAnyOrderAsked)
{
    ScratchDir d;
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) {
        names.push_back("f" + std::to_string(10000 + i));
        if (i % 13 == 5)
            d.mkdir(names.back());
        else if (i % 11 != 3)  // those are gone
            d.write(names.back());
        if (i % 7 == 1)
            ::chmod((d / names.back()).c_str(), 0444);
    }
    auto folder = platform::FolderHandle::open(d.path()).value();
    EarlyLooks early(folder.fd(), names);
    // Some asked while the thread goes in the names' order, the rest in the
    // reverse order told, one of them twice, and a few never told.
    std::vector<int> order;
    for (int i = 2999; i >= 100; --i)
        if (i % 17 != 0)
            order.push_back(i);
    std::vector<int> asked;
    for (int i = 0; i < 100; ++i)
        asked.push_back(i);
    early.follow(order);
    asked.insert(asked.end(), order.begin(), order.end());
    asked.push_back(2000);
    for (int i = 100; i < 3000; i += 17)
        asked.push_back(i);
    for (const int i : asked) {
        const FileLook l = early.take(static_cast<size_t>(i));
        const auto want = i % 13 == 5   ? platform::NameKind::other
                          : i % 11 == 3 ? platform::NameKind::missing
                                        : platform::NameKind::regular;
        ASSERT_EQ(l.kind, want) << i;
        if (want != platform::NameKind::regular)
            continue;
        struct stat st {};
        ASSERT_EQ(::stat((d / names[static_cast<size_t>(i)]).c_str(), &st), 0);
        EXPECT_EQ(l.id.inode, st.st_ino) << i;
        bool readOnly = false;
        stateOf(l, readOnly);
        EXPECT_EQ(readOnly, i % 7 == 1) << i;
    }
}

}  // namespace
