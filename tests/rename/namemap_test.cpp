// The plan's map of names: the first value given a name stays, a name never
// added is not found, and a map given more names than it was sized for
// grows and keeps them all.
#include "rename/namemap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using renaming::NameMap;

namespace {

TEST(NameMap, KeepsTheFirstValueOfEachNameBeyondTheRoomItWasGiven)
{
    for (const size_t room : {size_t{0}, size_t{3}, size_t{5000}}) {
        std::vector<std::string> names;
        for (int i = 0; i < 5000; ++i)
            names.push_back("n" + std::to_string(i));
        NameMap map(room, [&](int i) { return std::string_view(names[static_cast<size_t>(i)]); });
        for (int i = 0; i < 5000; ++i)
            ASSERT_EQ(map.emplace(names[static_cast<size_t>(i)], i), i) << room;
        for (int i = 0; i < 5000; ++i) {
            EXPECT_EQ(map.emplace(names[static_cast<size_t>(i)], 4999 - i), i) << room;
            EXPECT_EQ(map.find("n" + std::to_string(i)), i) << room;
        }
        EXPECT_EQ(map.find("n5000"), -1) << room;
        EXPECT_EQ(map.find(""), -1) << room;
        EXPECT_EQ(map.find("n"), -1) << room;
    }
}

}  // namespace
