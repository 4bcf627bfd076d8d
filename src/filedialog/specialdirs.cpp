#include "filedialog/specialdirs.h"

#include "filedialog/browsetarget.h"
#include "platform/exepath.h"
#include "platform/hexdigit.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

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
                         const std::string& userDirs, const std::string& bookmarks)
    : home_(normalizePath(home)), bookmarks_(bookmarksFromText(bookmarks))
{
    configHome_ = baseDir(xdgConfigHome, home_, ".config");
    dataHome_ = baseDir(xdgDataHome, home_, ".local/share");
    // The keys of the user-dirs file and the names xdg-user-dirs gives the
    // folders when it is not asked to translate them.
    static constexpr std::pair<const char*, const char*> kKeys[kUserDirCount] = {
        {"XDG_DESKTOP_DIR", "Desktop"},     {"XDG_DOCUMENTS_DIR", "Documents"},
        {"XDG_DOWNLOAD_DIR", "Downloads"},  {"XDG_MUSIC_DIR", "Music"},
        {"XDG_PICTURES_DIR", "Pictures"},   {"XDG_VIDEOS_DIR", "Videos"},
        {"XDG_PUBLICSHARE_DIR", "Public"},  {"XDG_TEMPLATES_DIR", "Templates"},
    };
    for (size_t i = 0; i < kUserDirCount; ++i)
        userDirs_[i] = orDefault(userDirFromText(userDirs, kKeys[i].first, home_), home_,
                                 kKeys[i].second);
}

namespace {

std::string readText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return {};
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

SpecialDirs SpecialDirs::fromProcess()
{
    std::string home = platform::userHome();
    if (home.empty())
        home = "/";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string configHome = baseDir(config, normalizePath(home), ".config");
    // GTK 3 and 4 keep the bookmarks here; older versions kept them in the
    // home folder, where GTK still looks when there is none here.
    std::string bookmarks = readText(joinPath(configHome, "gtk-3.0/bookmarks"));
    if (bookmarks.empty())
        bookmarks = readText(joinPath(normalizePath(home), ".gtk-bookmarks"));
    return SpecialDirs(home, config, std::getenv("XDG_DATA_HOME"),
                       readText(joinPath(configHome, "user-dirs.dirs")), bookmarks);
}

std::vector<Bookmark> bookmarksFromText(const std::string& text)
{
    std::vector<Bookmark> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t blank = line.find(' ');
        const std::string address = line.substr(0, blank);
        static const std::string kScheme = "file://";
        if (address.compare(0, kScheme.size(), kScheme) != 0)
            continue;
        // The host part: empty, or this machine by the name GTK writes.
        std::string rest = address.substr(kScheme.size());
        if (rest.compare(0, 9, "localhost") == 0)
            rest.erase(0, 9);
        if (rest.empty() || rest[0] != '/')
            continue;
        std::string path;
        bool broken = false;
        for (size_t i = 0; i < rest.size() && !broken; ++i) {
            if (rest[i] != '%') {
                path += rest[i];
                continue;
            }
            const int hi = i + 2 < rest.size() ? platform::hexDigitValue(rest[i + 1]) : -1;
            const int lo = hi >= 0 ? platform::hexDigitValue(rest[i + 2]) : -1;
            // A NUL would cut the path short; a broken escape names nothing.
            broken = lo < 0 || (hi == 0 && lo == 0);
            path += static_cast<char>(hi * 16 + lo);
            i += 2;
        }
        if (broken)
            continue;
        Bookmark b{normalizePath(path), blank == std::string::npos ? "" : line.substr(blank + 1)};
        out.push_back(std::move(b));
    }
    return out;
}

std::optional<std::string> SpecialDirs::pathOf(TnxBFSpecialDir d) const
{
    switch (d) {
    case sfPersonal:
        return documents();
    case sfDesktopDirectory:
        return desktop();
    case sfDrives:
        return std::string("/");
    case sfTemplates:
        return templates();
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
