#include "lines/decoding.h"

#include "lines/unicodetext.h"
#include "platform/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>

#include <memory>

namespace lines {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

Text utf16(std::string_view bytes, bool bigEndian)
{
    Text out;
    out.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        out += static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    if (bytes.size() % 2)
        out += u'\uFFFD';  // half a character at the end
    // A lone half of a surrogate pair names no character.
    for (size_t i = 0; i < out.size(); ++i) {
        if (U16_IS_LEAD(out[i]) && i + 1 < out.size() && U16_IS_TRAIL(out[i + 1]))
            ++i;
        else if (U16_IS_SURROGATE(out[i]))
            out[i] = u'\uFFFD';
    }
    return out;
}

// Each byte sequence that is no character of the code page becomes U+FFFD
// (ICU's own substitute would be the control character SUB).
void replacementCallback(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                                     UConverterCallbackReason reason, UErrorCode* err)
{
    if (reason > UCNV_IRREGULAR)
        return;
    const UChar fffd = 0xFFFD;
    *err = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &fffd, 1, 0, err);
}

Text cp932(std::string_view bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> conv(ucnv_open("windows-31j", &status), ucnv_close);
    if (U_FAILURE(status) || !conv)
        return fromUtf8(bytes);  // no converter: at least the ASCII is right
    ucnv_setToUCallBack(conv.get(), replacementCallback, nullptr, nullptr, nullptr, &status);
    Text out(bytes.size() + 1, u'\0');
    status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                    static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return fromUtf8(bytes);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

DecodeResult decodeText(std::string_view bytes)
{
    DecodeResult r;
    Decoded d;
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        d.encoding = Encoding::utf8Bom;
        bytes.remove_prefix(3);
    } else if (startsWith(bytes, "\xFF\xFE")) {
        d.encoding = Encoding::utf16le;
        d.text = utf16(bytes.substr(2), false);
    } else if (startsWith(bytes, "\xFE\xFF")) {
        d.encoding = Encoding::utf16be;
        d.text = utf16(bytes.substr(2), true);
    } else if (platform::isValidUtf8(bytes)) {
        d.encoding = Encoding::utf8;
    } else {
        d.encoding = Encoding::cp932;
    }
    const bool wide = d.encoding == Encoding::utf16le || d.encoding == Encoding::utf16be;
    if (!wide) {
        if (bytes.find('\0') != std::string_view::npos) {
            r.problem = DecodeProblem::nul;
            return r;
        }
        d.text = d.encoding == Encoding::cp932 ? cp932(bytes) : fromUtf8(bytes);
    } else if (d.text.find(u'\0') != Text::npos) {
        r.problem = DecodeProblem::nul;
        return r;
    }
    r.decoded = std::move(d);
    return r;
}

}  // namespace lines
