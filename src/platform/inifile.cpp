#include "platform/inifile.h"

#include "platform/fdio.h"
#include "platform/syscalls.h"
#include "platform/uniquefd.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

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

// Letters fold only where they are characters of their own: in Shift-JIS
// the second byte of a double-byte character may be a letter's byte, and
// two names that differ there are two names.
bool sameName(std::string_view a, std::string_view b, CodePage cp)
{
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size();) {
        const size_t n = cp == CodePage::cp932 ? charLength(a, i, cp) : 1;
        if (n == 1) {
            if (asciiLower(a[i]) != asciiLower(b[i]))
                return false;
        } else if (a.compare(i, n, b, i, n) != 0) {
            return false;
        }
        i += n;
    }
    return true;
}

// The name of a section line, or false when the line is none.
bool sectionName(std::string_view line, std::string_view& name, CodePage cp)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return false;
    const size_t close = findLastChar(line, "]", cp);
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

bool findSection(const std::vector<std::string>& lines, std::string_view section, CodePage cp,
                 Span& out)
{
    std::string_view name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!sectionName(lines[i], name, cp) || !sameName(name, section, cp))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end], name, cp))
            ++end;
        out = {i, end};
        return true;
    }
    return false;
}

// Index of the key's line inside the section, or npos.
size_t findKey(const std::vector<std::string>& lines, const Span& span, std::string_view key,
               CodePage cp)
{
    std::string_view k, v;
    for (size_t i = span.header + 1; i < span.end; ++i)
        if (keyLine(lines[i], k, v) && sameName(k, key, cp))
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
    if (const Status r = readAll(fd.get(), out); !r) {
        err = r.error();
        return false;
    }
    return true;
}

// A value that a read would give back changed: blanks at either end are
// dropped, and so is a pair of quotes around it.
bool readChanges(std::string_view v)
{
    if (v.empty())
        return false;
    if (isBlank(v.front()) || isBlank(v.back()))
        return true;
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

bool plainAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// One direction of conversion between the two code pages, opened once and
// used for many lines. The C library's converter knows Shift-JIS as Windows
// writes it under either of two names.
class Converter {
public:
    Converter(CodePage from, CodePage to)
    {
        for (const char* f : names(from))
            for (const char* t : names(to))
                if (cd_ == invalid())
                    cd_ = ::iconv_open(t, f);
    }
    ~Converter()
    {
        if (cd_ != invalid())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != invalid(); }

    bool run(std::string_view in, std::string& out)
    {
        if (!ok())
            return false;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.assign(in.size() * 2 + 8, '\0');
        // The converter takes a non-const input pointer but does not write
        // through it.
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t done = 0;
        for (;;) {
            char* dst = out.data() + done;
            size_t dstLeft = out.size() - done;
            const size_t r = ::iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done = out.size() - dstLeft;
            if (r != static_cast<size_t>(-1))
                break;
            if (errno != E2BIG)
                return false;  // not valid in the source, or no form in the target
            out.resize(out.size() * 2);
        }
        out.resize(done);
        return true;
    }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    static std::vector<const char*> names(CodePage cp)
    {
        if (cp == CodePage::cp932)
            return {"CP932", "WINDOWS-31J"};
        return {"UTF-8"};
    }
    iconv_t cd_ = invalid();
};

CodePage otherCodePage(CodePage cp)
{
    return cp == CodePage::utf8 ? CodePage::cp932 : CodePage::utf8;
}

}  // namespace

bool validText(std::string_view text, CodePage cp)
{
    if (plainAscii(text))
        return true;
    if (cp == CodePage::utf8)
        return isValidUtf8(text);
    std::string ignored;
    return Converter(cp, CodePage::utf8).run(text, ignored);
}

bool convertText(std::string_view text, CodePage from, CodePage to, std::string& out)
{
    if (from == to) {
        if (!validText(text, from))
            return false;
        out.assign(text);
        return true;
    }
    return Converter(from, to).run(text, out);
}

IniFile::IniFile(std::string path) : IniFile(std::move(path), systemCodePage(), {}) {}

IniFile::IniFile(std::string path, CodePage cp, const std::vector<std::string>& ownSections)
    : path_(std::move(path)), cp_(cp), fileCp_(cp)
{
    load(ownSections);
}

void IniFile::load(const std::vector<std::string>& ownSections)
{
    std::string text;
    int err = 0;
    if (!readWhole(path_, text, err)) {
        if (err != ENOENT)
            readError_ = err;
        return;
    }
    lines_ = splitLines(text);
    if (ownSections.empty())
        return;

    // Each line that is not plain ASCII is valid here, in the other code
    // page, in both or in neither. A line valid only there is foreign; one
    // valid in both is foreign too unless the file also holds lines valid
    // only here, as a file both systems have written does: what this system
    // wrote stays as it is. A line valid in neither is somebody's bytes.
    const CodePage other = otherCodePage(cp_);
    Converter fromOther(other, cp_);
    Converter check(cp_, other);
    std::string scratch;
    const auto validHere = [&](const std::string& line) {
        return cp_ == CodePage::utf8 ? isValidUtf8(line) : check.run(line, scratch);
    };
    struct Candidate {
        size_t at;
        bool here;  // valid in this code page as well
        std::string text;
    };
    std::vector<Candidate> candidates;
    bool anyForeign = false, anyOnlyHere = false;
    std::string converted;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (plainAscii(line))
            continue;
        const bool here = validHere(line);
        if (!fromOther.run(line, converted)) {
            anyOnlyHere = anyOnlyHere || here;
            continue;
        }
        anyForeign = anyForeign || !here;
        candidates.push_back({i, here, converted});
    }
    if (!anyForeign)
        return;
    std::erase_if(candidates, [&](const Candidate& c) { return c.here && anyOnlyHere; });
    // Another program's file in the other code page is none of ours to
    // convert.
    bool ours = false;
    for (const Candidate& c : candidates) {
        std::string_view name;
        if (sectionName(c.text, name, cp_))
            for (const std::string& own : ownSections)
                ours = ours || sameName(name, own, cp_);
    }
    if (!ours)
        return;
    sources_.assign(lines_.size(), Source{});
    for (auto& c : candidates) {
        sources_[c.at] = {Source::Kind::converted, std::move(lines_[c.at])};
        lines_[c.at] = std::move(c.text);
    }
    converted_ = true;
    // A file that this system has written lines into already is one of
    // this system's.
    if (!anyOnlyHere)
        fileCp_ = other;
    else
        sources_.clear();
}

std::string IniFile::read(std::string_view section, std::string_view key,
                          std::string_view def) const
{
    Span span{};
    if (!findSection(lines_, section, cp_, span))
        return std::string(def);
    const size_t at = findKey(lines_, span, key, cp_);
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

bool IniFile::has(std::string_view section, std::string_view key) const
{
    Span span{};
    return findSection(lines_, section, cp_, span) &&
           findKey(lines_, span, key, cp_) != std::string::npos;
}

CodePage IniFile::encode(const std::vector<std::string>& lines,
                         const std::vector<Source>& sources, std::string& out) const
{
    out.clear();
    if (fileCp_ != cp_) {
        Converter toFile(cp_, fileCp_);
        std::string converted;
        bool held = true;
        for (size_t i = 0; i < lines.size() && held; ++i) {
            const Source& src = sources[i];
            if (src.kind == Source::Kind::converted) {
                out += src.raw;
            } else if (src.kind == Source::Kind::asRead || plainAscii(lines[i])) {
                out += lines[i];
            } else if (toFile.run(lines[i], converted)) {
                out += converted;
            } else {
                held = false;
            }
            out += "\r\n";
        }
        if (held)
            return fileCp_;
        out.clear();
    }
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return cp_;
}

std::string IniFile::text() const
{
    std::string out;
    encode(lines_, sources_, out);
    return out;
}

Status IniFile::write(std::string_view section, std::string_view key, std::string_view value)
{
    // A file that exists but could not be read would lose its other lines.
    if (readError_ != 0)
        return Status::failure(readError_);
    if (findFirstChar(section, "\r\n]", cp_) != std::string_view::npos ||
        key.find_first_of("\r\n=") != std::string_view::npos || trim(key).empty())
        return Status::failure(EINVAL);
    if (value.find_first_of("\r\n") != std::string_view::npos)
        value = {};
    // A folder named "photo " must read back as that folder, here and for
    // the Windows functions, which drop the same blanks and quotes.
    const std::string written =
        readChanges(value) ? "\"" + std::string(value) + "\"" : std::string(value);

    // Where the lines' bytes come from matters only in a file kept in the
    // other code page.
    const bool tracked = fileCp_ != cp_;
    std::vector<std::string> lines = lines_;
    std::vector<Source> sources = tracked ? sources_ : std::vector<Source>{};
    const Source fresh{Source::Kind::written, {}};
    Span span{};
    if (findSection(lines, section, cp_, span)) {
        const size_t at = findKey(lines, span, key, cp_);
        if (at != std::string::npos) {
            std::string_view k, v;
            keyLine(lines[at], k, v);
            lines[at] = std::string(k) + "=" + written;
            if (tracked)
                sources[at] = fresh;
        } else {
            size_t last = span.header;
            for (size_t i = span.header + 1; i < span.end; ++i)
                if (!trim(lines[i]).empty())
                    last = i;
            const auto where = static_cast<std::ptrdiff_t>(last + 1);
            lines.insert(lines.begin() + where, std::string(key) + "=" + written);
            if (tracked)
                sources.insert(sources.begin() + where, fresh);
        }
    } else {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + written);
        if (tracked)
            sources.insert(sources.end(), 2, fresh);
    }

    std::string bytes;
    const CodePage writtenIn = encode(lines, sources, bytes);
    if (const Status written = replaceFileDurably(path_, bytes); !written)
        return written;
    lines_ = std::move(lines);
    fileCp_ = writtenIn;
    if (fileCp_ == cp_)
        sources.clear();
    sources_ = std::move(sources);
    return {};
}

}  // namespace platform
