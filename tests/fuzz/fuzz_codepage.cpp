// The code-page helpers: every scan agrees with one walk over the characters,
// a double-byte character is only ever a lead byte with a valid second byte,
// and UTF-8 scans for ASCII agree with plain byte scans.
#include "fuzzcheck.h"
#include "platform/codepage.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>
#include <vector>

using platform::CodePage;

namespace {

bool isLead932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail932(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const CodePage cp = in.ConsumeBool() ? CodePage::cp932 : CodePage::utf8;
    const std::string chars = in.ConsumeRandomLengthString(4);
    const std::string needle = in.ConsumeRandomLengthString(8);
    const size_t from = in.ConsumeIntegralInRange<size_t>(0, 64);
    const std::string s = in.ConsumeRemainingBytesAsString();

    // One walk over the characters.
    std::vector<size_t> starts;
    std::vector<bool> boundary(s.size() + 1, false);
    for (size_t pos = 0; pos < s.size();) {
        const size_t n = platform::charLength(s, pos, cp);
        FUZZ_CHECK(n >= 1 && n <= 4 && pos + n <= s.size());
        if (cp == CodePage::cp932 && n == 2) {
            FUZZ_CHECK(isLead932(static_cast<unsigned char>(s[pos])));
            FUZZ_CHECK(isTrail932(static_cast<unsigned char>(s[pos + 1])));
        }
        if (cp == CodePage::cp932)
            FUZZ_CHECK(n <= 2);
        if (n > 1)  // a character of several bytes holds no ASCII byte first
            FUZZ_CHECK(static_cast<unsigned char>(s[pos]) >= 0x80);
        if (cp == CodePage::utf8)
            for (size_t k = 1; k < n; ++k)
                FUZZ_CHECK((static_cast<unsigned char>(s[pos + k]) & 0xC0) == 0x80);
        starts.push_back(pos);
        boundary[pos] = true;
        pos += n;
    }
    boundary[s.size()] = true;

    // Single-byte characters of `chars` at character starts.
    auto single = [&](size_t pos) {
        return platform::charLength(s, pos, cp) == 1 && chars.find(s[pos]) != std::string::npos;
    };
    size_t wantFirst = std::string::npos, wantLast = std::string::npos;
    for (size_t pos : starts) {
        if (!single(pos))
            continue;
        if (pos >= from && wantFirst == std::string::npos)
            wantFirst = pos;
        wantLast = pos;
    }
    if (from == 0 || (from <= s.size() && boundary[from]))
        FUZZ_CHECK(platform::findFirstChar(s, chars, cp, from) == wantFirst);
    FUZZ_CHECK(platform::findLastChar(s, chars, cp) == wantLast);

    const char c = chars.empty() ? '\\' : chars[0];
    const bool wantEnds = !starts.empty() && starts.back() == s.size() - 1 && s.back() == c;
    FUZZ_CHECK(platform::endsWithChar(s, c, cp) == wantEnds);

    const size_t found = platform::findOnBoundary(s, needle, cp);
    size_t wantFound = needle.empty() ? 0 : std::string::npos;
    if (!needle.empty())
        for (size_t pos : starts)
            if (s.compare(pos, needle.size(), needle) == 0) {
                wantFound = pos;
                break;
            }
    FUZZ_CHECK(found == wantFound);

    // UTF-8: ASCII bytes are always characters of their own.
    if (cp == CodePage::utf8) {
        std::string ascii;
        for (char ch : chars)
            if (static_cast<unsigned char>(ch) < 0x80)
                ascii += ch;
        FUZZ_CHECK(platform::findFirstChar(s, ascii, cp) == s.find_first_of(ascii));
        FUZZ_CHECK(platform::findLastChar(s, ascii, cp) == s.find_last_of(ascii));
        if (!needle.empty() && static_cast<unsigned char>(needle[0]) < 0x80)
            FUZZ_CHECK(found == s.find(needle));
    }
    return 0;
}
