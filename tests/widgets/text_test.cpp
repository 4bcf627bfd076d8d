// Names shown in a window come back as the same bytes, whatever they hold.
#include "widgets/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using platform::CodePage;

const char* cpName(CodePage cp) { return cp == CodePage::utf8 ? "UTF-8" : "CP932"; }

// Byte strings of the kinds that break decoders: valid text, stray and
// truncated sequences, overlong forms, encoded surrogates, the stand-ins'
// own range encoded as UTF-8, Shift-JIS pairs and stray lead bytes.
std::string randomName(std::mt19937& rng)
{
    static const std::vector<std::string> pieces = {
        "a",          ".",          " ",          "写真",       "\xE9",       "\x80",
        "\xC3\xA9",   "\xC3",       "\xE3\x81",   "\xC0\x80",   "\xED\xA0\x80", "\xF4\x90\x80\x80",
        "\xEF\x9F\xA9", "\xEF\x9E\x80", "\xF0\x9F\x98\x80", "\x95\x5C", "\x83\x5C", "\x81",
        "\xFF",       "\xFE",       "\xA1",       "\xE2\x80\xA8",
    };
    std::uniform_int_distribution<size_t> len(0, 12), pick(0, pieces.size() - 1),
        anyByte(1, 255);
    std::string out;
    const size_t n = len(rng);
    for (size_t i = 0; i < n; ++i) {
        if (rng() % 4 == 0)
            out += static_cast<char>(anyByte(rng));
        else
            out += pieces[pick(rng)];
    }
    return out;
}

TEST(Text, EveryByteStringComesBackUnchangedInBothCodePages)
{
    std::mt19937 rng(20261209);
    for (CodePage cp : {CodePage::utf8, CodePage::cp932}) {
        for (int i = 0; i < 20000; ++i) {
            const std::string name = randomName(rng);
            const QString shown = widgets::fromBytes(name, cp);
            ASSERT_EQ(widgets::toBytes(shown, cp), name)
                << cpName(cp) << " " << ::testing::PrintToString(name);
            // Nothing is ever shown as the replacement character, which
            // would stand for any byte and give none back.
            ASSERT_FALSE(shown.contains(QChar::ReplacementCharacter))
                << cpName(cp) << " " << ::testing::PrintToString(name);
        }
    }
}

TEST(Text, ValidTextIsShownAsItIsAndOnlyBadBytesGetStandIns)
{
    struct Case {
        const char* bytes;
        CodePage cp;
        QString shown;
    };
    const QChar e9 = widgets::standIn(0xE9);
    const Case cases[] = {
        {"photo.jpg", CodePage::utf8, QStringLiteral("photo.jpg")},
        {"写真 2026.jpg", CodePage::utf8, QStringLiteral("写真 2026.jpg")},
        {"caf\xE9.txt", CodePage::utf8, QStringLiteral("caf") + e9 + QStringLiteral(".txt")},
        // A stand-in's own encoding in a real name is shown byte by byte,
        // so that the name can come back.
        {"\xEF\x9F\xA9", CodePage::utf8,
         QString(widgets::standIn(0xEF)) + widgets::standIn(0x9F) + widgets::standIn(0xA9)},
        {"\x95\x5C.txt", CodePage::cp932, QStringLiteral("表.txt")},
        {"\x83\x5C\x81", CodePage::cp932, QStringLiteral("ソ") + widgets::standIn(0x81)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(widgets::fromBytes(c.bytes, c.cp), c.shown) << c.bytes;
}

TEST(Text, AStandInTypedByHandGivesItsByte)
{
    const QString typed = QStringLiteral("caf") + widgets::standIn(0xE9) + QStringLiteral("-2");
    EXPECT_EQ(widgets::toBytes(typed, CodePage::utf8), "caf\xE9-2");
    EXPECT_EQ(widgets::toBytes(typed, CodePage::cp932), "caf\xE9-2");
}

}  // namespace
