// Where the program is, and where its settings file lives.
#pragma once

#include <string>

namespace platform {

// The running executable's full path.
std::string executablePath();

// Makes executablePath() answer `path` (tests point the settings file at a
// folder of their own this way); an empty path restores the real answer.
void setExecutablePath(const std::string& path);

// `exe` with its extension replaced by ".ini": the text from the last "."
// after the last "/" onward is replaced; a name without one gets ".ini".
std::string iniPathFor(const std::string& exe);

// The settings file of an executable at `exe`: beside it, except when it
// runs from the installation's binary folder `installBinDir`, which is no
// place for a user's file; then the same name in `configHome`/tsumugi.
std::string settingsPathFor(const std::string& exe, const std::string& installBinDir,
                            const std::string& configHome);

// The user's home folder: $HOME when it is an absolute path, else the
// account's home; empty when neither is known.
std::string userHome();

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else ~/.config.
std::string userConfigHome();

// The user's state folder: $XDG_STATE_HOME when it is an absolute path,
// else ~/.local/state.
std::string userStateHome();

// The settings file of this program.
std::string settingsPath();

}  // namespace platform
