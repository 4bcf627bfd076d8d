#include "settings/settingsfile.h"

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/inifile.h"
#include "settings/messages.h"

#include <cstdio>
#include <vector>

namespace settings {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int32_t readInteger(const platform::IniFile& ini, const char* section, const char* key,
                    int32_t def)
{
    return parseInteger(ini.read(section, key, ""), def);
}

bool readBool(const platform::IniFile& ini, const char* section, const char* key, bool def)
{
    return readInteger(ini, section, key, def ? 1 : 0) != 0;
}

[[noreturn]] void cannotWrite(const std::string& path)
{
    std::vector<char> buf(path.size() + 64);
    std::snprintf(buf.data(), buf.size(), msg::kCannotWriteFormat, path.c_str());
    throw platform::ToolkitError(buf.data());
}

}  // namespace

int32_t parseInteger(std::string_view s, int32_t def)
{
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= 0x20)
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i >= s.size())
        return def;

    size_t hexStart = std::string_view::npos;
    if (s[i] == '$' || s[i] == 'x' || s[i] == 'X')
        hexStart = i + 1;
    else if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X'))
        hexStart = i + 2;

    if (hexStart != std::string_view::npos) {
        const size_t digits = s.size() - hexStart;
        if (digits < 1 || digits > 8)
            return def;
        uint32_t v = 0;
        for (size_t k = hexStart; k < s.size(); ++k) {
            const int d = hexDigit(s[k]);
            if (d < 0)
                return def;
            v = v << 4 | static_cast<uint32_t>(d);
        }
        if (negative)
            v = 0u - v;
        return static_cast<int32_t>(v);
    }

    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return def;
        v = v * 10 + (s[i] - '0');
        if (v > int64_t{1} << 31)
            return def;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return def;
    return static_cast<int32_t>(v);
}

Loaded load(const std::string& path, Values& v, const Bounds& design)
{
    const platform::IniFile ini(path);
    Loaded out;
    v.WinMem = readBool(ini, msg::kSecWinMem, "WinMem", false);
    v.InitMax = readBool(ini, msg::kSecInitMax, "InitMax", false);
    if (v.WinMem) {
        Bounds b = design;
        b.top = readInteger(ini, msg::kSecBounds, "Top", design.top);
        b.left = readInteger(ini, msg::kSecBounds, "Left", design.left);
        b.height = readInteger(ini, msg::kSecBounds, "Height", design.height);
        b.width = readInteger(ini, msg::kSecBounds, "Width", design.width);
        out.bounds = b;
    }
    out.maximised = v.InitMax;
    v.RootDirSel = readInteger(ini, msg::kSecRootDirSel, "RootDirSel", 0);
    v.LastDir = ini.read(msg::kSecLastDir, "LastDir", "");
    v.RootDir = ini.read(msg::kSecRootDir, "RootDir", "");
    return out;
}

void save(const std::string& path, const Values& v, const std::optional<Bounds>& bounds)
{
    platform::IniFile ini(path);
    auto put = [&](const char* section, const char* key, const std::string& value) {
        if (!ini.write(section, key, value))
            cannotWrite(path);
    };
    // The folder of a per-user settings file may not exist yet.
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = path.substr(0, slash);
        if (!platform::isFolder(folder))
            platform::makeFolders(folder);
    }
    put(msg::kSecWinMem, "WinMem", v.WinMem ? "1" : "0");
    put(msg::kSecInitMax, "InitMax", v.InitMax ? "1" : "0");
    if (bounds) {
        put(msg::kSecBounds, "Top", std::to_string(bounds->top));
        put(msg::kSecBounds, "Left", std::to_string(bounds->left));
        put(msg::kSecBounds, "Height", std::to_string(bounds->height));
        put(msg::kSecBounds, "Width", std::to_string(bounds->width));
    }
    put(msg::kSecRootDirSel, "RootDirSel", std::to_string(v.RootDirSel));
    put(msg::kSecLastDir, "LastDir", v.LastDir);
    put(msg::kSecRootDir, "RootDir", v.RootDir);
}

}  // namespace settings
