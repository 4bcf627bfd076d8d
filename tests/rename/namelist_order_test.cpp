// The list's order and filter as a user meets them on real files: names,
// numbers by value, modification times, patterns, and the files no line
// could pair with.
#include "rename/namelist.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <ostream>
#include <string>
#include <vector>

using renaming::ListOrder;
using renaming::NameFilter;
using testing_support::CwdGuard;
using testing_support::ScratchDir;

namespace {

using Names = std::vector<std::string>;

struct ListCase {
    const char* name;
    Names files;     // made in this order, each a second newer than the one before
    ListOrder order;
    const char* filter;
    Names listed;
    int unshown = 0;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class Listed : public ::testing::TestWithParam<ListCase> {};

TEST_P(Listed, InTheOrderAndThroughTheFilterChosen)
{
    const ListCase& c = GetParam();
    CwdGuard guard;
    ScratchDir d;
    timespec t[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}};
    for (const auto& f : c.files) {
        d.write(f);
        ASSERT_EQ(::utimensat(AT_FDCWD, d.file(f).c_str(), t, 0), 0) << f;
        // Names ending in "=" keep the time of the one before.
        if (f.back() != '=')
            ++t[0].tv_sec, ++t[1].tv_sec;
    }
    renaming::NameList list("");
    list.setOrder(c.order);
    list.setFilter(NameFilter(c.filter, platform::CodePage::utf8));
    list.SetFolder(d.path());
    EXPECT_EQ(list.entries(), c.listed);
    EXPECT_EQ(list.Unshown(), c.unshown);
}

INSTANTIATE_TEST_SUITE_P(
    NameList, Listed,
    ::testing::Values(
        ListCase{"NamesIgnoreCase", {"b.png", "B.png2", "a.png", "C.png"}, ListOrder::name, "",
                 {"a.png", "b.png", "B.png2", "C.png"}},
        ListCase{"NamesCompareDigitsAsText", {"file2", "file10", "file1"}, ListOrder::name, "",
                 {"file1", "file10", "file2"}},
        ListCase{"NumbersByValue", {"file2", "File10", "file1", "file02x"}, ListOrder::natural, "",
                 {"file1", "file2", "file02x", "File10"}},
        ListCase{"OldestFirstEqualTimesByName", {"new", "b=", "a", "c"}, ListOrder::modified, "",
                 {"new", "a", "b=", "c"}},
        ListCase{"FilterIgnoresCase", {"x.JPG", "y.jpeg", "x.xmp", "x.jpg.aae"}, ListOrder::name,
                 "*.jpg;*.jpeg", {"x.JPG", "y.jpeg"}},
        ListCase{"FilterSeparatedByBlanks", {"a.png", "b.gif", "c.jpg"}, ListOrder::name,
                 "*.png\xE3\x80\x80*.gif", {"a.png", "b.gif"}},
        ListCase{"BlankFilterShowsAll", {"a", "b"}, ListOrder::name, " ; ", {"a", "b"}},
        ListCase{"LineBreaksCountedNotListed", {"a\nb.txt", "c.txt", "d\xE2\x80\xA8.txt"},
                 ListOrder::name, "", {"c.txt"}, 2},
        ListCase{"FilteredOutLineBreaksNotCounted", {"a\nb.txt", "c.png"}, ListOrder::name,
                 "*.png", {"c.png"}, 0}));

// In the C and POSIX locales, whose own order is that of bytes ("B" before
// "a"), the list still ignores letter case.
TEST(NameList, CLocaleOrderIgnoresCase)
{
    ScratchDir d;
    for (const char* f : {"B.png", "a.png", "_c.png"})
        d.write(f);
    CwdGuard guard(d.path());
    const std::string before = std::setlocale(LC_COLLATE, nullptr);
    for (const char* locale : {"C", "POSIX"}) {
        SCOPED_TRACE(locale);
        ASSERT_NE(std::setlocale(LC_COLLATE, locale), nullptr);
        EXPECT_EQ(platform::collationLocale(), "");
        renaming::NameList list;
        list.Reread();
        const Names& n = list.entries();
        EXPECT_LT(std::find(n.begin(), n.end(), "a.png"), std::find(n.begin(), n.end(), "B.png"));
    }
    std::setlocale(LC_COLLATE, before.c_str());
}

}  // namespace
