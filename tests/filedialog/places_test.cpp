// The places at the top of the folder browser's tree.
#include "filedialog/places.h"
#include "filedialog/specialdirs.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Kind = nx::Place::Kind;

struct VolumeCase {
    const char* name;
    nx::Volume volume;
    std::optional<Kind> kind;
};

void PrintTo(const VolumeCase& c, std::ostream* os) { *os << c.name; }

class VolumeKind : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeKind, RemovableOpticalNetworkOrNone)
{
    EXPECT_EQ(nx::volumeKind(GetParam().volume), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, VolumeKind,
    ::testing::Values(
        VolumeCase{"StickUnderMedia", {"/media/u/STICK", "vfat", "STICK"}, Kind::removable},
        VolumeCase{"CardUnderRunMedia", {"/run/media/u/3A5F-1C2B", "exfat", ""}, Kind::removable},
        VolumeCase{"Dvd", {"/media/cdrom0", "iso9660", "DISC"}, Kind::optical},
        VolumeCase{"Nfs", {"/srv/share", "nfs4", ""}, Kind::network},
        VolumeCase{"Samba", {"/mnt/nas", "cifs", ""}, Kind::network},
        VolumeCase{"SshfsInHome", {"/home/u/remote", "fuse.sshfs", ""}, Kind::network},
        VolumeCase{"TheRoot", {"/", "ext4", ""}, std::nullopt},
        VolumeCase{"Boot", {"/boot", "ext4", ""}, std::nullopt},
        VolumeCase{"HomePartition", {"/home", "ext4", ""}, std::nullopt},
        VolumeCase{"MediaItself", {"/media", "tmpfs", ""}, std::nullopt},
        VolumeCase{"LookalikeFolder", {"/mediafiles/x", "ext4", ""}, std::nullopt},
        VolumeCase{"Relative", {"media/u/x", "vfat", ""}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A home folder with user folders, some of them missing, and the volumes of
// a machine with a stick, a share and its own disks.
class TopPlaces : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* d : {"Desktop", "ドキュメント", "ピクチャ", "Music", "work", "photos"})
            home.mkdir(d);
        media.mkdir("STICK");
        media.mkdir("3A5F");
    }

    std::vector<std::string> pathsOf(const std::vector<nx::Place>& places) const
    {
        std::vector<std::string> out;
        for (const auto& p : places)
            out.push_back(p.path);
        return out;
    }

    testing_support::ScratchDir home, media;
    // The user-dirs file a Japanese desktop writes; the videos folder was
    // never made, downloads were turned off.
    const std::string userDirs = "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                 "XDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"\n"
                                 "XDG_PICTURES_DIR=\"$HOME/ピクチャ\"\n"
                                 "XDG_VIDEOS_DIR=\"$HOME/ビデオ\"\n"
                                 "XDG_DOWNLOAD_DIR=\"$HOME/\"\n";
};

TEST_F(TopPlaces, HomeUserFoldersBookmarksVolumesAndTheRoot)
{
    const std::string bookmarks = "file://" + home / "work" + " 作業\n" +    // labelled
                                  "file://" + home / "photos" + "\n" +      // unlabelled
                                  "file://" + home / "ピクチャ" + " Pics\n" +  // shown already
                                  "file://" + home / "gone" + "\n";         // no such folder
    const nx::SpecialDirs dirs(home.path(), nullptr, nullptr, userDirs, bookmarks);
    const std::vector<nx::Volume> volumes = {
        {"/", "ext4", ""},
        {media / "STICK", "vfat", "STICK"},  // not under /media: a scratch folder
        {"/boot", "ext4", ""},
    };
    const auto places = nx::topPlaces(dirs, volumes);
    EXPECT_EQ(places, (std::vector<nx::Place>{
                          {Kind::home, home.path(), nx::lastComponent(home.path())},
                          {Kind::desktop, home / "Desktop", "Desktop"},
                          {Kind::documents, home / "ドキュメント", "ドキュメント"},
                          {Kind::music, home / "Music", "Music"},
                          {Kind::pictures, home / "ピクチャ", "ピクチャ"},
                          {Kind::bookmark, home / "work", "作業"},
                          {Kind::bookmark, home / "photos", "photos"},
                          {Kind::fsRoot, "/", "/"},
                      }));
}

TEST_F(TopPlaces, VolumesAreNamedByTheirLabelOrFolder)
{
    // A share mounted twice and one named by the bookmarks first.
    const nx::SpecialDirs dirs(home.path(), nullptr, nullptr, "",
                               "file://" + media / "3A5F" + " SD card\n");
    const std::vector<nx::Volume> volumes = {
        {media / "STICK", "nfs", ""},
        {media / "STICK", "nfs", "again"},
        {media / "3A5F", "nfs", "card"},
        {media / "missing", "nfs", ""},
    };
    const auto places = nx::topPlaces(dirs, volumes);
    EXPECT_EQ(pathsOf(places),
              (std::vector<std::string>{home.path(), home / "Desktop", home / "Music",
                                        media / "3A5F", media / "STICK", "/"}));
    ASSERT_EQ(places.size(), 6u);
    EXPECT_EQ(places[3].name, "SD card");
    EXPECT_EQ(places[4].kind, Kind::network);
    EXPECT_EQ(places[4].name, "STICK");
}

TEST_F(TopPlaces, AHomeThatIsTheRootShowsTheRootOnce)
{
    const nx::SpecialDirs dirs("/", nullptr, nullptr, "", "file:/// Root\n");
    EXPECT_EQ(pathsOf(nx::topPlaces(dirs, {})), (std::vector<std::string>{"/"}));
}

}  // namespace
