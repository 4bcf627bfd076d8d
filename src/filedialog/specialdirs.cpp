#include "filedialog/specialdirs.h"

#include "filedialog/browsetarget.h"
#include "platform/exepath.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nx {

namespace {

// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder.
std::string baseDir(const char* value, const std::string& home, const char* fallback)
{
    if (value && value[0] == '/')
        return normalizePath(value);
    return joinPath(home, fallback);
}

std::string orDefault(std::string v, const std::string& home, const char* name)
{
    return v.empty() ? joinPath(home, name) : v;
}

}  // namespace

std::string userDirFromText(const std::string& text, const std::string& key,
                            const std::string& home)
{
    std::istringstream in(text);
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line[i] == '#')
            continue;
        if (line.compare(i, key.size(), key) != 0)
            continue;
        i += key.size();
        i = line.find_first_not_of(" \t", i);
        if (i == std::string::npos || line[i] != '=')
            continue;
        i = line.find_first_not_of(" \t", i + 1);
        if (i == std::string::npos)
            continue;
        // The value is written in shell syntax: double quotes, with "\"
        // escaping the next character.
        std::string raw;
        const bool quoted = line[i] == '"';
        for (size_t k = quoted ? i + 1 : i; k < line.size(); ++k) {
            const char c = line[k];
            if (c == '\\' && k + 1 < line.size()) {
                raw += line[++k];
                continue;
            }
            if (quoted && c == '"')
                break;
            if (!quoted && (c == ' ' || c == '\t'))
                break;
            raw += c;
        }
        std::string value;
        if (raw.compare(0, 5, "$HOME") == 0 && (raw.size() == 5 || raw[5] == '/'))
            value = normalizePath(home + raw.substr(5));
        else if (!raw.empty() && raw[0] == '/')
            value = normalizePath(raw);
        // The last assignment counts, as in the shell.
        if (!value.empty())
            found = value;
    }
    return found;
}

SpecialDirs::SpecialDirs(std::string home, const char* xdgConfigHome, const char* xdgDataHome,
                         const std::string& userDirs)
    : home_(normalizePath(home))
{
    configHome_ = baseDir(xdgConfigHome, home_, ".config");
    dataHome_ = baseDir(xdgDataHome, home_, ".local/share");
    desktop_ = orDefault(userDirFromText(userDirs, "XDG_DESKTOP_DIR", home_), home_, "Desktop");
    documents_ =
        orDefault(userDirFromText(userDirs, "XDG_DOCUMENTS_DIR", home_), home_, "Documents");
    templates_ =
        orDefault(userDirFromText(userDirs, "XDG_TEMPLATES_DIR", home_), home_, "Templates");
}

SpecialDirs SpecialDirs::fromProcess()
{
    std::string home = platform::userHome();
    if (home.empty())
        home = "/";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string configHome = baseDir(config, normalizePath(home), ".config");
    std::string text;
    std::ifstream f(joinPath(configHome, "user-dirs.dirs"), std::ios::binary);
    if (f) {
        std::ostringstream s;
        s << f.rdbuf();
        text = s.str();
    }
    return SpecialDirs(home, config, std::getenv("XDG_DATA_HOME"), text);
}

std::optional<std::string> SpecialDirs::pathOf(TnxBFSpecialDir d) const
{
    switch (d) {
    case sfPersonal:
        return documents_;
    case sfDesktopDirectory:
        return desktop_;
    case sfDrives:
        return std::string("/");
    case sfTemplates:
        return templates_;
    case sfAppData:
        return configHome_;
    case sfFonts:
        return joinPath(dataHome_, "fonts");
    case sfBitBucket:
        return joinPath(dataHome_, "Trash/files");
    case sfStartup:
        return joinPath(configHome_, "autostart");
    case sfProgrmas:
    case sfStartMenu:
        return joinPath(dataHome_, "applications");
    case sfRecent:
        return joinPath(dataHome_, "RecentDocuments");
    default:
        // The virtual top, and folders with no counterpart here (control
        // panel, printers, network, favourites, send-to).
        return std::nullopt;
    }
}

}  // namespace nx
