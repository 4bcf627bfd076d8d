#include "settings/settingsfile.h"

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/inifile.h"
#include "settings/messages.h"

#include <algorithm>
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

// The section names, written in the source as UTF-8, in code page `cp`.
struct SectionNames {
    explicit SectionNames(platform::CodePage cp)
    {
        for (const Key& k : kKeys) {
            std::string name;
            if (!platform::convertText(k.section, platform::CodePage::utf8, cp, name))
                name = k.section;
            if (std::find(own.begin(), own.end(), name) == own.end())
                own.push_back(name);
            ofKey.push_back(std::move(name));
        }
    }
    std::vector<std::string> ofKey;  // in the order of kKeys
    std::vector<std::string> own;    // each once
};

bool atDefault(const Values& v, const Key& k)
{
    return std::visit(Overload{
                          [&](bool Values::*f) { return v.*f == (k.def != 0); },
                          [&](int32_t Values::*f) { return v.*f == k.def; },
                          [&](std::string Values::*f) { return (v.*f).empty(); },
                          [&](int32_t Bounds::*) { return false; },
                      },
                      k.field);
}

[[noreturn]] void cannotWrite(const std::string& path)
{
    std::vector<char> buf(path.size() + 64);
    std::snprintf(buf.data(), buf.size(), msg::kCannotWriteFormat, path.c_str());
    throw platform::ToolkitError(buf.data());
}

}  // namespace

Loaded load(const std::string& path, Values& v, platform::CodePage cp)
{
    const SectionNames names(cp);
    const platform::IniFile ini(path, cp, names.own);
    Bounds b = kDesignBounds;
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const Key& k = kKeys[i];
        if (k.rule == Rule::windowBounds && !v.WinMem)
            continue;
        const std::string text = ini.read(names.ofKey[i], k.name, "");
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

void save(const std::string& path, const Values& v, const std::optional<Bounds>& bounds,
          platform::CodePage cp)
{
    const SectionNames names(cp);
    platform::IniFile ini(path, cp, names.own);
    // The folder of a per-user settings file may not exist yet.
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = path.substr(0, slash);
        if (!platform::isFolder(folder))
            platform::makeFolders(folder);
    }
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const Key& k = kKeys[i];
        if (k.rule == Rule::windowBounds && !bounds)
            continue;
        // A line break is no value a read gives: it tells a missing key.
        if (k.rule == Rule::unlessDefault && atDefault(v, k) && ini.read(names.ofKey[i], k.name, "\n") == "\n")
            continue;
        const std::string text = std::visit(
            Overload{
                [&](bool Values::*f) { return booleanText(v.*f); },
                [&](int32_t Values::*f) { return integerText(v.*f); },
                [&](std::string Values::*f) { return v.*f; },
                [&](int32_t Bounds::*f) { return integerText((*bounds).*f); },
            },
            k.field);
        if (!ini.write(names.ofKey[i], k.name, text))
            cannotWrite(path);
    }
}

}  // namespace settings
