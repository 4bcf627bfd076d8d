// The integer reading of settings values: every number the settings file
// writes reads back as itself (decimal and every hexadecimal prefix, with
// blanks and signs), the default is used exactly when the text is not a
// number, and the value agrees with a plain reading of the grammar.
#include "fuzzcheck.h"
#include "settings/settingsfile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cinttypes>
#include <cstdio>
#include <optional>
#include <string>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The grammar read plainly: blanks, a sign, then decimal digits that fit
// 32 bits, or a hex prefix and one to eight hex digits (a 32-bit pattern).
std::optional<int32_t> reference(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= 0x20)
        ++i;
    int sign = 1;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        sign = s[i++] == '-' ? -1 : 1;
    const std::string rest = s.substr(i);
    for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
        const std::string p = prefix;
        if (rest.compare(0, p.size(), p) != 0)
            continue;
        const std::string digits = rest.substr(p.size());
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        uint64_t v = 0;
        for (char c : digits) {
            if (hexValue(c) < 0)
                return std::nullopt;
            v = v * 16 + static_cast<uint64_t>(hexValue(c));
        }
        const uint32_t pattern = static_cast<uint32_t>(sign < 0 ? (0 - v) : v);
        return static_cast<int32_t>(pattern);
    }
    if (rest.empty())
        return std::nullopt;
    int64_t v = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > (int64_t{1} << 32))
            return std::nullopt;
    }
    v *= sign;
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int32_t n = in.ConsumeIntegral<int32_t>();
    const int32_t defA = in.ConsumeIntegral<int32_t>();
    const int32_t defB = static_cast<int32_t>(static_cast<uint32_t>(defA) ^ 0x5A5A5A5Au);
    const std::string text = in.ConsumeRemainingBytesAsString();

    // Arbitrary text: the default is used exactly when it is no number.
    const int32_t a = settings::parseInteger(text, defA);
    const int32_t b = settings::parseInteger(text, defB);
    const bool isNumber = a == b;
    if (!isNumber)
        FUZZ_CHECK(a == defA && b == defB);
    const std::optional<int32_t> want = reference(text);
    FUZZ_CHECK(isNumber == want.has_value());
    if (want)
        FUZZ_CHECK(a == *want);

    // What the file writes reads back.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%" PRId32, n);
    FUZZ_CHECK(settings::parseInteger(buf, defA) == n);
    std::snprintf(buf, sizeof buf, " \t %" PRId32, n);
    FUZZ_CHECK(settings::parseInteger(buf, defA) == n);
    if (n >= 0) {
        std::snprintf(buf, sizeof buf, "+%" PRId32, n);
        FUZZ_CHECK(settings::parseInteger(buf, defA) == n);
    }
    const uint32_t pattern = static_cast<uint32_t>(n);
    for (const char* fmt : {"$%" PRIX32, "x%" PRIx32, "X%08" PRIX32, "0x%" PRIx32, "0X%" PRIX32}) {
        std::snprintf(buf, sizeof buf, fmt, pattern);
        FUZZ_CHECK(settings::parseInteger(buf, defA) == n);
    }
    // A minus before a hexadecimal pattern negates it modulo 2^32.
    std::snprintf(buf, sizeof buf, "-$%" PRIX32, pattern);
    FUZZ_CHECK(settings::parseInteger(buf, defA) == static_cast<int32_t>(0u - pattern));
    // A unit after the number makes it no number.
    std::snprintf(buf, sizeof buf, "%" PRId32 "px", n);
    FUZZ_CHECK(settings::parseInteger(buf, defA) == defA);
    return 0;
}
