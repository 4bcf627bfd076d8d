#include "rename/collation.h"

#include "platform/inifile.h"  // convertText

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <vector>

namespace renaming {

struct Collation::Impl {
    UCollator* collator = nullptr;
    platform::CodePage cp = platform::CodePage::utf8;
    // Scratch space of one key at a time; a collation is used by one
    // thread at a time.
    mutable std::vector<UChar> text;
    ~Impl()
    {
        if (collator)
            ucol_close(collator);
    }
};

Collation::Collation(const std::string& locale, Digits digits, platform::CodePage cp)
    : impl_(std::make_unique<Impl>())
{
    impl_->cp = cp;
    UErrorCode status = U_ZERO_ERROR;
    impl_->collator = ucol_open(locale.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        impl_->collator = ucol_open("", &status);
    }
    if (!impl_->collator)
        return;
    // Secondary strength tells accents apart but not letter case; names in
    // decomposed form (as some systems write them) order as composed ones.
    const std::pair<UColAttribute, UColAttributeValue> attributes[] = {
        {UCOL_NORMALIZATION_MODE, UCOL_ON},
        {UCOL_STRENGTH, UCOL_SECONDARY},
        {UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE},
        {UCOL_NUMERIC_COLLATION, digits == Digits::byValue ? UCOL_ON : UCOL_OFF},
    };
    for (const auto& [attribute, value] : attributes) {
        status = U_ZERO_ERROR;
        ucol_setAttribute(impl_->collator, attribute, value, &status);
    }
}

Collation::~Collation() = default;

void Collation::appendKey(std::string_view name, std::string& keys) const
{
    std::string converted;
    if (impl_->cp != platform::CodePage::utf8 &&
        platform::convertText(name, impl_->cp, platform::CodePage::utf8, converted))
        name = converted;
    std::vector<UChar>& text = impl_->text;
    if (text.size() < name.size() + 1)
        text.resize(name.size() + 1);
    // Bytes that are no text order as U+FFFD; the caller orders names of
    // equal keys by their bytes.
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(text.data(), static_cast<int32_t>(text.size()), &length, name.data(),
                         static_cast<int32_t>(name.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status) || !impl_->collator)
        return;
    // Most keys fit a small buffer; a longer one is asked for again.
    uint8_t small[512];
    const int32_t n = ucol_getSortKey(impl_->collator, text.data(), length, small, sizeof small);
    if (n <= 0)
        return;
    if (static_cast<size_t>(n) <= sizeof small) {
        // Without the key's closing zero byte, which orders nothing.
        keys.append(reinterpret_cast<const char*>(small), static_cast<size_t>(n) - 1);
        return;
    }
    std::vector<uint8_t> large(static_cast<size_t>(n));
    ucol_getSortKey(impl_->collator, text.data(), length, large.data(), n);
    keys.append(reinterpret_cast<const char*>(large.data()), large.size() - 1);
}

}  // namespace renaming
