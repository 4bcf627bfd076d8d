// The folder browser's vocabulary (special folders, option flags) and the
// rules that turn a path or a special folder into the item the chooser
// starts from. Plain C++: the chooser itself lives in ui/.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

enum TnxBFSpecialDir : uint8_t {
    sfNone,
    sfDesktop,
    sfProgrmas,
    sfControls,
    sfPritners,
    sfPersonal,
    sfFavorites,
    sfStartup,
    sfRecent,
    sfSendTo,
    sfBitBucket,
    sfStartMenu,
    sfDesktopDirectory,
    sfDrives,
    sfNetWork,
    sfNetHood,
    sfFonts,
    sfTemplates,
    sfAppData,
    sfPrintHood,
};

enum TnxBrowseOption : uint8_t {
    bifReturnOnlyFSDirs,
    bifDontGoBelowDomain,
    bifReturnFSAncestors,
    bifBrowseForComputer,
    bifBrowseForPrinter,
    bifBrowseIncludeFiles,
    bifStatusText,
    bifNewDialogStyle,
    bifNonNewFolderButton,
};

// A set of TnxBrowseOption in 16 bits (bit n = ordinal n).
class TnxBrowseOptions {
public:
    TnxBrowseOptions() = default;
    TnxBrowseOptions(std::initializer_list<TnxBrowseOption> opts)
    {
        for (auto o : opts)
            bits_ |= static_cast<uint16_t>(1u << o);
    }
    bool contains(TnxBrowseOption o) const { return bits_ & (1u << o); }
    TnxBrowseOptions& operator<<(TnxBrowseOption o)
    {
        bits_ |= static_cast<uint16_t>(1u << o);
        return *this;
    }
    TnxBrowseOptions& operator>>(TnxBrowseOption o)
    {
        bits_ &= static_cast<uint16_t>(~(1u << o));
        return *this;
    }
    uint16_t bits() const { return bits_; }
    bool operator==(const TnxBrowseOptions&) const = default;

private:
    uint16_t bits_ = 0;
};

namespace nx {

class SpecialDirs;

// Where a folder choice leads: the virtual top of the hierarchy
// ("desktop"), a folder of the file system, or nowhere (a special folder
// that has no counterpart here, or whose folder does not exist).
struct FolderTarget {
    enum class Kind { top, path, none };
    Kind kind = Kind::none;
    std::string path;  // absolute and normalised, for Kind::path
    bool operator==(const FolderTarget&) const = default;
};

// A special folder other than sfNone always wins over the path; a path must
// be absolute and name an existing folder, otherwise the top stands in.
FolderTarget resolveFolderTarget(const std::string& path, TnxBFSpecialDir special,
                             const SpecialDirs& dirs);

// Lexically normalised absolute path: no empty, "." or ".." components and
// no trailing "/" (except for "/" itself). A relative path comes back as it
// was.
std::string normalizePath(const std::string& path);

// True when `path` is `base` or lies below it (both normalised).
bool isWithin(const std::string& path, const std::string& base);

// Joins a folder and an entry name.
std::string joinPath(const std::string& folder, const std::string& name);

// The last component of a normalised path ("/" for the root).
std::string lastComponent(const std::string& path);

// What the chooser lists of one folder: its visible subfolders, and its
// visible plain files when asked. Names that start with "." are left out,
// as are devices, sockets and dangling links. The order is the file
// system's; false with `err` when the folder cannot be read.
struct FolderEntry {
    std::string name;
    bool folder = false;
};
bool listFolder(const std::string& path, bool includeFiles, std::vector<FolderEntry>& out,
                int* err = nullptr);

// Makes the new folder `name` inside `parent`; false with `err` on failure
// (an existing entry of that name is never replaced).
bool makeFolder(const std::string& parent, const std::string& name, int* err = nullptr);

}  // namespace nx
