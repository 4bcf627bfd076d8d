// The folder browser's vocabulary (special folders, option flags) and the
// rule that turns a path or a special folder into the item the chooser
// starts from. Plain C++: the chooser itself lives in ui/.
#pragma once

// The path rules and the chooser's listing, which the chooser reaches
// through this header.
#include "filedialog/folderentries.h"
#include "filedialog/folderpath.h"

#include <cstdint>
#include <initializer_list>
#include <string>

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

}  // namespace nx
