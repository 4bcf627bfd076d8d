// The profile file engine on a file that starts with the byte-order mark
// twice: whatever is read must read the same after the next write, and the
// written file carries no mark.
#include "platform/inifile.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

using testing_support::ScratchDir;

TEST(IniHostile, RepeatedByteOrderMarkNeitherWrittenNorChangesWhatIsRead)
{
    ScratchDir d;
    const std::string bom = "\xEF\xBB\xBF";
    d.write("s.ini", bom + bom + "[a]\r\nk=1\r\n");
    platform::IniFile ini(d.file("s.ini"));
    const std::string before = ini.read("a", "k", "none");
    ASSERT_TRUE(ini.write("b", "x", "2"));
    const std::string text = d.read("s.ini");
    EXPECT_NE(text.compare(0, 3, bom), 0) << "the written file starts with a byte-order mark";
    EXPECT_EQ(platform::IniFile(d.file("s.ini")).read("a", "k", "none"), before);
}
