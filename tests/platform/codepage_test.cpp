#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/font.h"

namespace platform {
namespace {

TEST(CodePage, EveryByteSurvivesTheRoundTripInBothPages) {
    for (CodePage page : {CodePage::Windows1252, CodePage::Windows1251}) {
        for (int b = 0; b < 256; ++b) {
            const char32_t ch = ByteToUnicode(page, static_cast<uint8_t>(b));
            const auto back = UnicodeToByte(page, ch);
            ASSERT_TRUE(back.has_value()) << "byte " << b;
            EXPECT_EQ(*back, b) << "byte " << b;
        }
    }
}

TEST(CodePage, KnownCharactersAndUnmappableOnes) {
    struct Case {
        CodePage page;
        char32_t ch;
        int byte; // -1: the page cannot show it
    };
    const Case cases[] = {
        {CodePage::Windows1252, U'A', 'A'},
        {CodePage::Windows1252, U'\u20AC', 0x80}, // euro sign
        {CodePage::Windows1252, U'\u0178', 0x9F}, // Y with diaeresis
        {CodePage::Windows1252, U'\u00E9', 0xE9},
        {CodePage::Windows1252, U'\u0416', -1}, // Cyrillic Zhe
        {CodePage::Windows1251, U'\u0416', 0xC6},
        {CodePage::Windows1251, U'\u0401', 0xA8}, // Cyrillic Io
        {CodePage::Windows1251, U'\u0451', 0xB8},
        {CodePage::Windows1251, U'\u20AC', 0x88},
        {CodePage::Windows1251, U'\u00E9', -1},
        {CodePage::Windows1252, U'\u4E00', -1},
        {CodePage::Windows1251, U'\U0001F600', -1},
        {CodePage::Windows1252, U'\U0001F600', -1},
    };
    for (const Case& c : cases) {
        const auto got = UnicodeToByte(c.page, c.ch);
        if (c.byte < 0) {
            EXPECT_FALSE(got.has_value()) << std::hex << static_cast<uint32_t>(c.ch);
        } else {
            ASSERT_TRUE(got.has_value()) << std::hex << static_cast<uint32_t>(c.ch);
            EXPECT_EQ(*got, c.byte);
            EXPECT_EQ(ByteToUnicode(c.page, *got), c.ch);
        }
    }
}

TEST(CodePage, CharacterSetSelectsThePage) {
    EXPECT_EQ(CodePageForCharSet(RUSSIAN_CHARSET), CodePage::Windows1251);
    EXPECT_EQ(CodePageForCharSet(ANSI_CHARSET), CodePage::Windows1252);
    EXPECT_EQ(CodePageForCharSet(DEFAULT_CHARSET), CodePage::Windows1252);
}

TEST(CodePage, EncodingDropsWhatThePageCannotShowAndCountsIt) {
    size_t dropped = 0;
    const std::string out = EncodeText(CodePage::Windows1252, U"a\u0416b\u20AC\u4E00", &dropped);
    EXPECT_EQ(out, "a"
                   "b\x80");
    EXPECT_EQ(dropped, 2u);
    EXPECT_EQ(DecodeBytes(CodePage::Windows1251, "\xC6\xE5"), U"\u0416\u0435");
}

} // namespace
} // namespace platform
