#include "platform/inifile.h"

#include "platform/failure.h"
#include "platform/fdio.h"
#include "platform/syscalls.h"
#include "platform/uniquefd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view trim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b)
{
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

// The name of a section line, or false when the line is none.
bool sectionName(std::string_view line, std::string_view& name)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return false;
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return false;
    name = trim(line.substr(1, close - 1));
    return true;
}

// The key and the raw value of a key line, or false when the line is none.
bool keyLine(std::string_view line, std::string_view& key, std::string_view& value)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return true;
}

struct Span {
    size_t header;  // index of the section line
    size_t end;     // one past the section's last line
};

bool findSection(const std::vector<std::string>& lines, std::string_view section, Span& out)
{
    std::string_view name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!sectionName(lines[i], name) || !sameName(name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end], name))
            ++end;
        out = {i, end};
        return true;
    }
    return false;
}

// Index of the key's line inside the section, or npos.
size_t findKey(const std::vector<std::string>& lines, const Span& span, std::string_view key)
{
    std::string_view k, v;
    for (size_t i = span.header + 1; i < span.end; ++i)
        if (keyLine(lines[i], k, v) && sameName(k, key))
            return i;
    return std::string::npos;
}

std::vector<std::string> splitLines(std::string_view text)
{
    // A byte-order mark (even one written twice) is not part of the first
    // section's name, and is never written back.
    while (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

// Reads a whole file; ENOENT when there is none.
bool readWhole(const std::string& path, std::string& out, int& err)
{
    auto& s = sys();
    UniqueFd fd(s.openat(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) {
        err = errno;
        return false;
    }
    struct stat st {};
    if (s.fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (!readAll(fd.get(), out)) {
        err = errno;
        return false;
    }
    return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path))
{
    std::string text;
    int err = 0;
    if (readWhole(path_, text, err))
        lines_ = splitLines(text);
    else if (err != ENOENT)
        readError_ = err;
}

std::string IniFile::read(std::string_view section, std::string_view key,
                          std::string_view def) const
{
    Span span{};
    if (!findSection(lines_, section, span))
        return std::string(def);
    const size_t at = findKey(lines_, span, key);
    if (at == std::string::npos)
        return std::string(def);
    std::string_view k, v;
    keyLine(lines_[at], k, v);
    v = trim(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > kMaxValue)
        v = v.substr(0, kMaxValue);
    return std::string(v);
}

std::string IniFile::text() const
{
    std::string out;
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value,
                    int* err)
{
    // A file that exists but could not be read would lose its other lines.
    if (readError_ != 0)
        return fail(err, readError_);
    if (section.find_first_of("\r\n]") != std::string_view::npos ||
        key.find_first_of("\r\n=") != std::string_view::npos || trim(key).empty())
        return fail(err, EINVAL);
    if (value.find_first_of("\r\n") != std::string_view::npos)
        value = {};

    std::vector<std::string> lines = lines_;
    Span span{};
    if (findSection(lines, section, span)) {
        const size_t at = findKey(lines, span, key);
        if (at != std::string::npos) {
            std::string_view k, v;
            keyLine(lines[at], k, v);
            lines[at] = std::string(k) + "=" + std::string(value);
        } else {
            size_t last = span.header;
            for (size_t i = span.header + 1; i < span.end; ++i)
                if (!trim(lines[i]).empty())
                    last = i;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                         std::string(key) + "=" + std::string(value));
        }
    } else {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + std::string(value));
    }

    std::swap(lines, lines_);
    const std::string bytes = text();
    if (!replaceFileDurably(path_, bytes, err)) {
        std::swap(lines, lines_);
        return false;
    }
    return true;
}

}  // namespace platform
