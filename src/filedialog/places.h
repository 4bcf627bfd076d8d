// The places at the top of the folder browser's tree, beside the home
// folder: the XDG user folders, the file manager's bookmarks, and the
// mounted volumes a user works on (removable media and network shares), as
// a desktop's file manager shows them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nx {

class SpecialDirs;

struct Place {
    enum class Kind {
        home,
        desktop,
        documents,
        download,
        music,
        pictures,
        videos,
        publicShare,
        templates,
        bookmark,
        removable,  // a stick, a card, an external disk
        optical,    // a CD or DVD
        network,
        fsRoot,
    };
    Kind kind;
    std::string path;  // absolute and normalised
    std::string name;  // what the tree shows
    bool operator==(const Place&) const = default;
};

// A mounted volume as the system reports it.
struct Volume {
    std::string root;    // where it is mounted
    std::string fsType;  // "vfat", "nfs4", "fuse.sshfs", ...
    std::string label;   // the file system's name, or empty
};

// What kind of place a volume is: removable, optical or network; nothing
// for the system's own volumes ("/", /boot, /home, pseudo file systems).
std::optional<Place::Kind> volumeKind(const Volume& v);

// The places in the order the tree shows them: the home folder, the user
// folders, the bookmarks, the removable and network volumes, and "/" last.
// Only existing folders are kept, each once (the first place that names a
// folder wins), and no user folder that is the home folder itself, as
// xdg-user-dirs sets a folder the user turned off.
std::vector<Place> topPlaces(const SpecialDirs& dirs, const std::vector<Volume>& volumes);

}  // namespace nx
