#include "settings/settingsfile.h"

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/inifile.h"
#include "settings/messages.h"

#include <cstdio>
#include <type_traits>
#include <vector>

namespace settings {

namespace {

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

[[noreturn]] void cannotWrite(const std::string& path)
{
    std::vector<char> buf(path.size() + 64);
    std::snprintf(buf.data(), buf.size(), msg::kCannotWriteFormat, path.c_str());
    throw platform::ToolkitError(buf.data());
}

}  // namespace

Loaded load(const std::string& path, Values& v)
{
    const platform::IniFile ini(path);
    Bounds b = kDesignBounds;
    for (const Key& k : kKeys) {
        if (k.rule == Rule::windowBounds && !v.WinMem)
            continue;
        const std::string text = ini.read(k.section, k.name, "");
        std::visit(Overload{
                       [&](bool Values::*f) { v.*f = parseBoolean(text, k.def != 0); },
                       [&](int32_t Values::*f) { v.*f = parseInteger(text, k.def); },
                       [&](std::string Values::*f) { v.*f = text; },
                       [&](int32_t Bounds::*f) { b.*f = parseInteger(text, k.def); },
                   },
                   k.field);
    }
    Loaded out;
    if (v.WinMem)
        out.bounds = b;
    out.maximised = v.InitMax;
    return out;
}

void save(const std::string& path, const Values& v, const std::optional<Bounds>& bounds)
{
    platform::IniFile ini(path);
    // The folder of a per-user settings file may not exist yet.
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = path.substr(0, slash);
        if (!platform::isFolder(folder))
            platform::makeFolders(folder);
    }
    for (const Key& k : kKeys) {
        if (k.rule == Rule::windowBounds && !bounds)
            continue;
        const std::string text = std::visit(
            Overload{
                [&](bool Values::*f) { return booleanText(v.*f); },
                [&](int32_t Values::*f) { return integerText(v.*f); },
                [&](std::string Values::*f) { return v.*f; },
                [&](int32_t Bounds::*f) { return integerText((*bounds).*f); },
            },
            k.field);
        if (!ini.write(k.section, k.name, text))
            cannotWrite(path);
    }
}

}  // namespace settings
