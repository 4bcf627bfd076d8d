#include "platform/exepath.h"

#include "platform/pathparts.h"

#include "platform/fs.h"
#include "platform/syscalls.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#ifndef TSUMUGI_INSTALL_BINDIR
#define TSUMUGI_INSTALL_BINDIR "/usr/local/bin"
#endif

namespace platform {

namespace {

std::string& overridePath()
{
    static std::string p;
    return p;
}

bool sameFolder(const std::string& a, const std::string& b)
{
    FileId ia, ib;
    if (folderId(a, ia) && folderId(b, ib))
        return ia == ib;
    return a == b;
}

}  // namespace

std::string executablePath()
{
    if (!overridePath().empty())
        return overridePath();
    std::string buf(4096, '\0');
    for (;;) {
        const ssize_t n = sys().readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            // An executable replaced while it runs (a rebuild) is reported
            // with this mark; its settings file is still the one beside it.
            constexpr std::string_view kDeleted = " (deleted)";
            if (buf.ends_with(kDeleted))
                buf.resize(buf.size() - kDeleted.size());
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

void setExecutablePath(const std::string& path) { overridePath() = path; }

std::string iniPathFor(const std::string& exe)
{
    const auto slash = exe.find_last_of('/');
    const auto dot = exe.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return exe.substr(0, dot) + ".ini";
    return exe + ".ini";
}

std::string settingsPathFor(const std::string& exe, const std::string& installBinDir,
                            const std::string& configHome)
{
    const std::string beside = iniPathFor(exe);
    if (installBinDir.empty() || configHome.empty() || !sameFolder(folderOf(exe), installBinDir))
        return beside;
    return configHome + "/tsumugi/" + fileNameOf(beside);
}

std::string userHome()
{
    if (const char* h = std::getenv("HOME"); h && h[0] == '/')
        return h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

namespace {

// $`variable` when it is an absolute path, else `underHome` in the home
// folder; empty when no home is known.
std::string userFolder(const char* variable, const char* underHome)
{
    const char* xdg = std::getenv(variable);
    if (xdg && xdg[0] == '/')
        return xdg;
    const std::string home = userHome();
    return home.empty() ? std::string() : home + underHome;
}

}  // namespace

std::string userConfigHome() { return userFolder("XDG_CONFIG_HOME", "/.config"); }

std::string userStateHome() { return userFolder("XDG_STATE_HOME", "/.local/state"); }

std::string settingsPath()
{
    return settingsPathFor(executablePath(), TSUMUGI_INSTALL_BINDIR, userConfigHome());
}

}  // namespace platform
