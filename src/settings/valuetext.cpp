#include "settings/valuetext.h"

#include "platform/hexdigit.h"

namespace settings {

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
            const int d = platform::hexDigitValue(s[k]);
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

}  // namespace settings
