#include "rename/namerule.h"

namespace renaming {

namespace {
constexpr std::string_view kForbidden = "\\/:*?\"<>|";
}

bool checkFileName(std::string_view line, platform::CodePage cp)
{
    return platform::findFirstChar(line, kForbidden, cp) == std::string_view::npos;
}

std::string_view extensionOf(std::string_view name, platform::CodePage cp)
{
    const size_t pos = platform::findLastChar(name, ".\\:", cp);
    if (pos == std::string_view::npos || name[pos] != '.')
        return {};
    return name.substr(pos);
}

std::string_view baseOf(std::string_view name, platform::CodePage cp)
{
    return name.substr(0, name.size() - extensionOf(name, cp).size());
}

std::string_view trimLine(std::string_view line)
{
    size_t b = 0, e = line.size();
    while (b < e && static_cast<unsigned char>(line[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(line[e - 1]) <= 0x20)
        --e;
    return line.substr(b, e - b);
}

std::string makeNewFileName(std::string_view oldName, std::string_view line, NameRule rule,
                            platform::CodePage cp)
{
    const std::string_view t = trimLine(line);
    if (t.empty())
        return {};
    const std::string_view ext = extensionOf(oldName, cp);
    std::string out;
    if (rule == NameRule::append)
        out.append(baseOf(oldName, cp));
    out.append(t);
    out.append(ext);
    return out;
}

}  // namespace renaming
