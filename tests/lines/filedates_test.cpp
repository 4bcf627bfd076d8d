// The dates of the files lines pair with, read from the disk: the
// modification time in local time, and the date a photo was taken.
#include "lines/filedates.h"

#include "support/photo.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

using namespace lines;
using testing_support::EnvGuard;
using testing_support::ScratchDir;

namespace {

class FileDatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::tzset();
        folder = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
    }
    void TearDown() override
    {
        ::close(folder);
        ::tzset();
    }
    // Tokyo has had no summer time since 1951: the same offset all year.
    EnvGuard tz{"TZ", "Asia/Tokyo"};
    ScratchDir dir;
    int folder = -1;
};

TEST_F(FileDatesTest, ModifiedIsLocalTimeWithMilliseconds)
{
    dir.write("a.txt");
    // 2024-03-04 22:08:09.012 UTC is 2024-03-05 07:08:09.012 in Tokyo.
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1709590089, 12345678}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
    const std::vector<std::string> names{"a.txt", "gone.txt"};
    FileDates dates(folder, names);
    EXPECT_EQ(dates.dateOf(0, DateKind::modified), (DateTime{2024, 3, 5, 7, 8, 9, 12}));
    EXPECT_EQ(dates.dateOf(1, DateKind::modified), std::nullopt);
    EXPECT_EQ(dates.dateOf(2, DateKind::modified), std::nullopt);
}

TEST_F(FileDatesTest, TakenFromTheExifOfAPhoto)
{
    dir.write("shot.jpg", testing_support::jpegTakenAt("2023:12:31 23:59:58", "5"));
    dir.write("plain.jpg", testing_support::jpegTakenAt("    :  :     :  :  "));
    dir.write("notes.txt", "not a photo");
    ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0644), 0);
    const std::vector<std::string> names{"shot.jpg", "plain.jpg", "notes.txt", "pipe.jpg"};
    FileDates dates(folder, names);
    EXPECT_EQ(dates.dateOf(0, DateKind::taken), (DateTime{2023, 12, 31, 23, 59, 58, 500}));
    EXPECT_EQ(dates.dateOf(1, DateKind::taken), std::nullopt);
    EXPECT_EQ(dates.dateOf(2, DateKind::taken), std::nullopt);
    // A FIFO is no photo, and is not waited on.
    EXPECT_EQ(dates.dateOf(3, DateKind::taken), std::nullopt);
}

TEST_F(FileDatesTest, EachFileIsLookedAtOnce)
{
    dir.write("shot.jpg", testing_support::jpegTakenAt("2023:12:31 23:59:58"));
    const std::vector<std::string> names{"shot.jpg"};
    FileDates dates(folder, names);
    ASSERT_TRUE(dates.dateOf(0, DateKind::taken));
    dir.write("shot.jpg", "no longer a photo");
    EXPECT_EQ(dates.dateOf(0, DateKind::taken), (DateTime{2023, 12, 31, 23, 59, 58, 0}));
}

struct ExifCase {
    const char* name;
    const char* value;
    const char* subSeconds;
    std::optional<DateTime> expected;
};

void PrintTo(const ExifCase& c, std::ostream* os) { *os << c.name; }

class ExifDate : public ::testing::TestWithParam<ExifCase> {};

TEST_P(ExifDate, ReadsWhatCamerasWrite)
{
    const ExifCase& c = GetParam();
    EXPECT_EQ(parseExifDate(c.value, c.subSeconds), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExifDate,
    ::testing::Values(
        ExifCase{"Plain", "2024:03:05 07:08:09", "", DateTime{2024, 3, 5, 7, 8, 9, 0}},
        ExifCase{"SubSecondsScaled", "2024:03:05 07:08:09", "12", DateTime{2024, 3, 5, 7, 8, 9, 120}},
        ExifCase{"SubSecondsBeyondMillis", "2024:03:05 07:08:09", "123456", DateTime{2024, 3, 5, 7, 8, 9, 123}},
        ExifCase{"DashesAndT", "2024-03-05T07:08:09", "", DateTime{2024, 3, 5, 7, 8, 9, 0}},
        ExifCase{"Blank", "    :  :     :  :  ", "", std::nullopt},
        ExifCase{"AllZero", "0000:00:00 00:00:00", "", std::nullopt},
        ExifCase{"CutShort", "2024:03:05 07:08", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
