// The profile file engine on arbitrary files: writing a key and reading it
// back gives the value as written (a value holding a line break is written
// empty; a read returns at most 2047 bytes); every other key reads as before; every other
// line stays byte for byte, with at most the key's line replaced or one or
// two lines added; the file on the disk is what the engine holds, in CR LF
// lines with no byte-order mark, and reads back the same.
#include "fuzzcheck.h"
#include "platform/inifile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string scratchFile()
{
    // A memory-backed folder keeps the durable writes cheap.
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(base) + "/tsumugi-fuzz-ini-" + std::to_string(::getpid()) + ".ini";
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

bool blank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string trimmed(std::string s)
{
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    size_t b = 0;
    while (b < s.size() && blank(s[b]))
        ++b;
    return s.substr(b);
}

// What a read gives for a value written as `v`: the engine quotes a value
// whose blanks or quotes a read would drop.
std::string readForm(const std::string& v)
{
    if (v.find_first_of("\r\n") != std::string::npos)
        return {};
    return v.substr(0, platform::IniFile::kMaxValue);
}

// Lines as the engine reads them: byte-order marks at the start are no
// text; CR LF, LF or CR ends a line.
std::vector<std::string> linesOf(std::string text)
{
    while (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out.push_back(cur);
            cur.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            cur += text[i];
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

// A section or key name from a small alphabet that the file format can
// carry: letters in both cases (names match without regard to case),
// digits, inner blanks and bytes of Japanese text.
std::string nameFrom(FuzzedDataProvider& in)
{
    static const char* const parts[] = {"a", "B", "k", "Key", "key", "セクション", "_", " ",
                                        "1", "ウィンドウ", "x", "Top", "top", "\xe6", "."};
    std::string s;
    const int n = in.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < n; ++i)
        s += parts[in.ConsumeIntegralInRange<size_t>(0, std::size(parts) - 1)];
    s = trimmed(s);
    return s.empty() ? "k" : s;
}

bool sameAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = scratchFile();
    FuzzedDataProvider in(data, size);
    const std::string section = nameFrom(in);
    const std::string key = nameFrom(in);
    std::string value = in.ConsumeRandomLengthString(3000);
    struct Probe {
        std::string section, key, before;
    };
    std::vector<Probe> probes(4);
    for (auto& p : probes) {
        p.section = nameFrom(in);
        p.key = nameFrom(in);
    }
    const std::string file = in.ConsumeRemainingBytesAsString();
    writeBytes(path, file);

    platform::IniFile ini(path);
    for (auto& p : probes)
        p.before = ini.read(p.section, p.key, "\x01none");
    const std::vector<std::string> oldLines = linesOf(file);

    FUZZ_CHECK(ini.write(section, key, value).ok());
    const std::string got = ini.read(section, key, "\x01none");
    FUZZ_CHECK(got == readForm(value));

    // Every other key reads as before.
    for (const auto& p : probes)
        if (!(sameAsciiCase(p.section, section) && sameAsciiCase(p.key, key)))
            FUZZ_CHECK(ini.read(p.section, p.key, "\x01none") == p.before);

    // The disk holds what the engine holds, in CR LF lines, no mark.
    const std::string disk = readBytes(path);
    FUZZ_CHECK(disk == ini.text());
    FUZZ_CHECK(disk.compare(0, 3, "\xEF\xBB\xBF") != 0);
    for (size_t i = 0; i < disk.size(); ++i) {
        if (disk[i] == '\r')
            FUZZ_CHECK(i + 1 < disk.size() && disk[i + 1] == '\n');
        if (disk[i] == '\n')
            FUZZ_CHECK(i > 0 && disk[i - 1] == '\r');
    }
    FUZZ_CHECK(disk.empty() || disk.size() >= 2);

    // Every other line stays: one line replaced, or one or two added.
    const std::vector<std::string> newLines = linesOf(disk);
    if (newLines.size() == oldLines.size()) {
        int changed = 0;
        for (size_t i = 0; i < oldLines.size(); ++i)
            changed += oldLines[i] != newLines[i];
        FUZZ_CHECK(changed <= 1);
    } else if (newLines.size() == oldLines.size() + 1) {
        size_t i = 0;
        while (i < oldLines.size() && oldLines[i] == newLines[i])
            ++i;
        for (size_t j = i; j < oldLines.size(); ++j)
            FUZZ_CHECK(oldLines[j] == newLines[j + 1]);
    } else {
        FUZZ_CHECK(newLines.size() == oldLines.size() + 2);
        for (size_t i = 0; i < oldLines.size(); ++i)
            FUZZ_CHECK(oldLines[i] == newLines[i]);
    }

    // A fresh read of the file agrees.
    const platform::IniFile again(path);
    FUZZ_CHECK(again.read(section, key, "\x01none") == got);
    for (const auto& p : probes)
        FUZZ_CHECK(again.read(p.section, p.key, "\x01none") ==
                   ini.read(p.section, p.key, "\x01none"));
    // Gone after every input: the fuzzer may end the process after any.
    ::unlink(path.c_str());
    return 0;
}
