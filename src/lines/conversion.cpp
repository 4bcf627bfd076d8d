#include "lines/conversion.h"

#include "lines/unicodetext.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace lines {

namespace {

// Each transliterator is limited to the characters its choice names, so that
// "全角英数字・記号を半角に" leaves katakana alone and "カタカナをひらがなに"
// keeps the long-vowel mark ("コーヒー" becomes "こーひー", not "こおひい").
struct Rule {
    const char16_t* set;
    const char16_t* id;
};

Rule ruleOf(Conversion c)
{
    switch (c) {
    case Conversion::toHalfwidth:
        return {u"[\\uFF01-\\uFF5E\\uFFE0-\\uFFE6\\u3000]", u"Fullwidth-Halfwidth"};
    case Conversion::toFullwidth:
        return {u"[\\u0020-\\u007E\\u00A2\\u00A3\\u00A5\\u00A6\\u00AC\\u00AF\\u20A9]",
                u"Halfwidth-Fullwidth"};
    case Conversion::halfKanaToFull: return {u"[\\uFF61-\\uFF9F]", u"Halfwidth-Fullwidth"};
    case Conversion::toKatakana: return {u"[\\u3041-\\u3096\\u309D\\u309E]", u"Hiragana-Katakana"};
    case Conversion::toHiragana: return {u"[\\u30A1-\\u30F6\\u30FD\\u30FE]", u"Katakana-Hiragana"};
    default: return {nullptr, nullptr};
    }
}

Text textOf(const icu::UnicodeString& u) { return Text(u.getBuffer(), static_cast<size_t>(u.length())); }

}  // namespace

struct Converter::Impl {
    Conversion kind;
    std::unique_ptr<icu::Transliterator> translit;
    std::unique_ptr<icu::UnicodeSet> set;  // what the transliterator touches
    std::unique_ptr<icu::BreakIterator> words;
};

Converter::Converter(Conversion c) : impl_(std::make_unique<Impl>())
{
    impl_->kind = c;
    UErrorCode status = U_ZERO_ERROR;
    const Rule r = ruleOf(c);
    if (r.id) {
        const icu::UnicodeString set(r.set);
        UParseError pe;
        impl_->translit.reset(icu::Transliterator::createInstance(set + u" " + r.id, UTRANS_FORWARD,
                                                                  pe, status));
        status = U_ZERO_ERROR;
        impl_->set = std::make_unique<icu::UnicodeSet>(set, status);
        impl_->set->freeze();
    }
    if (c == Conversion::capitalize) {
        status = U_ZERO_ERROR;
        impl_->words.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    }
}

Converter::~Converter() = default;
Converter::Converter(Converter&&) noexcept = default;
Converter& Converter::operator=(Converter&&) noexcept = default;

std::optional<Text> Converter::convert(const Text& line) const
{
    Impl& m = *impl_;
    Text out;
    switch (m.kind) {
    case Conversion::upper:
    case Conversion::lower:
    case Conversion::capitalize: {
        icu::UnicodeString u(line.data(), static_cast<int32_t>(line.size()));
        if (m.kind == Conversion::upper)
            u.toUpper(icu::Locale::getRoot());
        else if (m.kind == Conversion::lower)
            u.toLower(icu::Locale::getRoot());
        else if (m.words)
            u.toTitle(m.words.get(), icu::Locale::getRoot(), U_TITLECASE_NO_LOWERCASE);
        out = textOf(u);
        break;
    }
    case Conversion::trim: {
        size_t b = 0, e = line.size();
        while (b < e && u_isUWhiteSpace(line[b]))
            ++b;
        while (e > b && u_isUWhiteSpace(line[e - 1]))
            --e;
        out = line.substr(b, e - b);
        break;
    }
    case Conversion::nfc: out = toNfc(line); break;
    default: {
        if (!m.translit)
            return std::nullopt;
        // Most lines hold nothing the transliterator would touch.
        const auto len = static_cast<int32_t>(line.size());
        if (m.set->span(line.data(), len, USET_SPAN_NOT_CONTAINED) == len)
            return std::nullopt;
        icu::UnicodeString u(line.data(), len);
        m.translit->transliterate(u);
        out = textOf(u);
        break;
    }
    }
    if (out == line)
        return std::nullopt;
    return out;
}

Outcome Converter::run(const std::vector<Text>& lines, LineRange range, const CancelFlag* cancel) const
{
    Outcome out;
    const int end = std::min<int>(range.end, static_cast<int>(lines.size()));
    for (int li = std::max(range.first, 0); li < end; ++li) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            out.cancelled = true;
            break;
        }
        if (auto c = convert(lines[static_cast<size_t>(li)]))
            out.changes.push_back({li, std::move(*c)});
    }
    return out;
}

}  // namespace lines
