// Special folders on a freedesktop system: the home folder, the XDG base
// folders, the XDG user folders (desktop, documents, pictures, ...) and the
// folders the user bookmarked in the file manager.
#pragma once

#include "filedialog/browsetarget.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace nx {

// The XDG user folders, in the order the folder browser shows them.
enum class UserDir { desktop, documents, download, music, pictures, videos, publicShare, templates };
inline constexpr size_t kUserDirCount = 8;

// A folder of the file manager's bookmarks, with the label the user gave
// it (empty when none).
struct Bookmark {
    std::string path;
    std::string label;
    bool operator==(const Bookmark&) const = default;
};

class SpecialDirs {
public:
    // What the process's environment, the user's user-dirs file and the
    // file manager's bookmarks file say.
    static SpecialDirs fromProcess();

    // From given parts: the home folder, the two XDG base variables (null
    // when unset), the text of the user-dirs file and that of the bookmarks
    // file (empty when none).
    SpecialDirs(std::string home, const char* xdgConfigHome, const char* xdgDataHome,
                const std::string& userDirs, const std::string& bookmarks = {});

    const std::string& home() const { return home_; }
    const std::string& configHome() const { return configHome_; }
    const std::string& dataHome() const { return dataHome_; }
    // The user-dirs file's folder, or its usual name below the home folder
    // when the file names none; it need not exist.
    const std::string& userDir(UserDir d) const { return userDirs_[static_cast<size_t>(d)]; }
    const std::string& desktop() const { return userDir(UserDir::desktop); }
    const std::string& documents() const { return userDir(UserDir::documents); }
    const std::string& templates() const { return userDir(UserDir::templates); }
    const std::vector<Bookmark>& bookmarks() const { return bookmarks_; }

    // The folder a special folder stands for, or nothing when it has no
    // counterpart here (sfNone and sfDesktop mean the virtual top and have
    // none either). The folder need not exist.
    std::optional<std::string> pathOf(TnxBFSpecialDir d) const;

private:
    std::string home_, configHome_, dataHome_;
    std::array<std::string, kUserDirCount> userDirs_;
    std::vector<Bookmark> bookmarks_;
};

// The value of `key` (for example XDG_DESKTOP_DIR) in the text of a
// user-dirs file, with "$HOME" expanded and shell quoting removed; empty
// when the key is missing or its value is neither absolute nor relative to
// $HOME.
std::string userDirFromText(const std::string& text, const std::string& key,
                            const std::string& home);

// The local folders of a GTK bookmarks file: one "file://" address a line,
// its path written with %-escapes, then optionally a blank and a label.
// Addresses of other kinds (sftp://, smb://, ...) and broken lines are
// skipped.
std::vector<Bookmark> bookmarksFromText(const std::string& text);

}  // namespace nx
