// Special folders on a freedesktop system: the home folder, the XDG base
// folders and the XDG user folders (desktop, documents, templates).
#pragma once

#include "filedialog/browsetarget.h"

#include <optional>
#include <string>

namespace nx {

class SpecialDirs {
public:
    // What the process's environment and the user's user-dirs file say.
    static SpecialDirs fromProcess();

    // From given parts: the home folder, the two XDG base variables (null
    // when unset) and the text of the user-dirs file (empty when none).
    SpecialDirs(std::string home, const char* xdgConfigHome, const char* xdgDataHome,
                const std::string& userDirs);

    const std::string& home() const { return home_; }
    const std::string& configHome() const { return configHome_; }
    const std::string& dataHome() const { return dataHome_; }
    const std::string& desktop() const { return desktop_; }
    const std::string& documents() const { return documents_; }
    const std::string& templates() const { return templates_; }

    // The folder a special folder stands for, or nothing when it has no
    // counterpart here (sfNone and sfDesktop mean the virtual top and have
    // none either). The folder need not exist.
    std::optional<std::string> pathOf(TnxBFSpecialDir d) const;

private:
    std::string home_, configHome_, dataHome_, desktop_, documents_, templates_;
};

// The value of `key` (for example XDG_DESKTOP_DIR) in the text of a
// user-dirs file, with "$HOME" expanded and shell quoting removed; empty
// when the key is missing or its value is neither absolute nor relative to
// $HOME.
std::string userDirFromText(const std::string& text, const std::string& key,
                            const std::string& home);

}  // namespace nx
