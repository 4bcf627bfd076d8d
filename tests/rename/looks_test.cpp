// Looks made ahead on a helper thread are the looks the asker would have
// made at each name's turn: same kind, same file, in list order, however far
// ahead the helper may go.
#include "rename/looks.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace testing_support;
using namespace renaming;

namespace {

struct LookCase {
    const char* name;
    unsigned helpers;
    size_t lead;
};
void PrintTo(const LookCase& c, std::ostream* os) { *os << c.name; }

class LooksInOrder : public ::testing::TestWithParam<LookCase> {};

TEST_P(LooksInOrder, AreWhatALookAtEachTurnSees)
{
    ScratchDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        names.push_back("f" + std::to_string(i));
        if (i % 7 == 3)
            dir.mkdir(names.back());
        else if (i % 5 != 1)  // every fifth is missing
            dir.write(names.back(), std::string(static_cast<size_t>(i), 'x'));
    }
    const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        LooksAhead looks(fd, names, GetParam().helpers, GetParam().lead);
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            const Look l = looks.take(i);
            const Look now = lookNow(fd, names[i]);
            ASSERT_EQ(l.kind, now.kind);
            if (l.kind == platform::NameKind::regular) {
                EXPECT_EQ(l.id.inode, now.id.inode);
                EXPECT_EQ(l.id.size, i);
            }
        }
    }
    ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Looks, LooksInOrder,
    ::testing::Values(LookCase{"EachAtItsTurn", 0, 0}, LookCase{"AheadAsFarAsTheyGo", 1, 0},
                      LookCase{"AheadByAFewNames", 1, 40}, LookCase{"TwoHelpersAheadByAFew", 2, 64}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
