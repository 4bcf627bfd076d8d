#include "lines/unicodetext.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

namespace lines {

namespace {

const icu::Normalizer2& nfc()
{
    UErrorCode status = U_ZERO_ERROR;
    // ICU's instance lives as long as the library; it never fails once the
    // library's own data is there.
    static const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return *n;
}

// Read-only view of `text`, without a copy.
icu::UnicodeString alias(std::u16string_view text)
{
    return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

// Below U+0300 nothing composes or decomposes: most names need no ICU call.
bool belowCombining(std::u16string_view text)
{
    for (const char16_t c : text)
        if (c >= 0x300)
            return false;
    return true;
}

}  // namespace

bool isNfc(std::u16string_view text)
{
    if (belowCombining(text))
        return true;
    UErrorCode status = U_ZERO_ERROR;
    const bool yes = nfc().isNormalized(alias(text), status);
    return U_SUCCESS(status) && yes;
}

Text toNfc(std::u16string_view text)
{
    if (isNfc(text))
        return Text(text);
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString out = nfc().normalize(alias(text), status);
    if (U_FAILURE(status))
        return Text(text);
    return Text(out.getBuffer(), static_cast<size_t>(out.length()));
}

bool breaksLine(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0x85 || c == 0x2028 ||
           c == 0x2029;
}

bool holdsBreakOrNul(std::u16string_view text)
{
    for (const char16_t c : text)
        if (c == 0 || breaksLine(c))
            return true;
    return false;
}

int charCount(std::u16string_view text, size_t units)
{
    units = std::min(units, text.size());
    int n = 0;
    for (size_t i = 0; i < units; ++i)
        if (!(U16_IS_TRAIL(text[i]) && i > 0 && U16_IS_LEAD(text[i - 1])))
            ++n;
    return n;
}

Text fromUtf8(std::string_view utf8)
{
    const icu::UnicodeString u =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    return Text(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    alias(text).toUTF8String(out);
    return out;
}

}  // namespace lines
