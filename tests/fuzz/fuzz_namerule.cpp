// The name check and the new-name rule, in both code pages and under both
// rules, on arbitrary old names and typed lines.
#include "fuzzcheck.h"
#include "rename/namerule.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>

using platform::CodePage;
using renaming::NameRule;

namespace {

constexpr std::string_view kForbidden = "\\/:*?\"<>|";
// Forbidden bytes below 0x40 can never be the second byte of a double-byte
// character in either code page, so a line that holds one must always fail.
constexpr std::string_view kNeverTrail = "/:*?\"<>";

bool hasAnyOf(std::string_view s, std::string_view chars)
{
    return s.find_first_of(chars) != std::string_view::npos;
}

bool hasHighByte(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const CodePage cp = in.ConsumeBool() ? CodePage::cp932 : CodePage::utf8;
    const NameRule rule = in.ConsumeBool() ? NameRule::append : NameRule::replace;
    const std::string oldName = in.ConsumeRandomLengthString(300);
    const std::string line = in.ConsumeRemainingBytesAsString();

    // The check.
    const bool ok = renaming::checkFileName(line, cp);
    if (!hasAnyOf(line, kForbidden))
        FUZZ_CHECK(ok);
    if (hasAnyOf(line, kNeverTrail))
        FUZZ_CHECK(!ok);
    // In UTF-8 an ASCII byte is never part of a longer character, and a line
    // without high bytes reads the same in both code pages.
    if (cp == CodePage::utf8 || !hasHighByte(line))
        FUZZ_CHECK(ok == !hasAnyOf(line, kForbidden));

    // The split of the old name.
    const std::string_view ext = renaming::extensionOf(oldName, cp);
    const std::string_view base = renaming::baseOf(oldName, cp);
    FUZZ_CHECK(std::string(base) + std::string(ext) == oldName);
    FUZZ_CHECK(ext.empty() || ext[0] == '.');
    if (cp == CodePage::utf8) {
        const size_t last = oldName.find_last_of(".\\:");
        const std::string_view want = last != std::string::npos && oldName[last] == '.'
                                          ? std::string_view(oldName).substr(last)
                                          : std::string_view();
        FUZZ_CHECK(ext == want);
    }
    // The extension starts on a character boundary.
    if (!ext.empty()) {
        size_t pos = 0;
        while (pos < base.size())
            pos += platform::charLength(oldName, pos, cp);
        FUZZ_CHECK(pos == base.size());
    }

    // The trimmed line.
    const std::string_view t = renaming::trimLine(line);
    FUZZ_CHECK(t.empty() || (static_cast<unsigned char>(t.front()) > 0x20 &&
                             static_cast<unsigned char>(t.back()) > 0x20));
    FUZZ_CHECK(std::string_view(line).find(t) != std::string_view::npos);

    // The new name.
    const std::string made = renaming::makeNewFileName(oldName, line, rule, cp);
    FUZZ_CHECK(made.empty() == t.empty());
    if (!made.empty()) {
        const std::string want = (rule == NameRule::append ? std::string(base) : std::string()) +
                                 std::string(t) + std::string(ext);
        FUZZ_CHECK(made == want);
        // A name that passed the check never reaches another folder: the old
        // name is a listed name (no "/") and the line brought none in.
        if (ok && oldName.find('/') == std::string::npos)
            FUZZ_CHECK(made.find('/') == std::string::npos);
    }
    return 0;
}
