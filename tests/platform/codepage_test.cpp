#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace tavlin {
namespace {

TEST(CodePage, DefaultIsUtf8FallingBackToWindows1252) {
    // Valid UTF-8 decodes; the stray bytes 0x93/0x94 (curly quotes in Windows-1252) still read.
    EXPECT_EQ(toUtf8("caf\xC3\xA9", DEFAULT_CHARSET), "caf\xC3\xA9");
    EXPECT_EQ(toUtf8("\x93quoted\x94", DEFAULT_CHARSET), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    // An overlong sequence and a truncated one are not UTF-8: each byte stands alone.
    std::vector<DecodedChar> chars;
    decodeText("\xC0\xAF\xE2\x82", DEFAULT_CHARSET, chars);
    ASSERT_EQ(chars.size(), 4u);
    EXPECT_EQ(chars[0].codePoint, char32_t(0xC0));
    EXPECT_EQ(chars[3].codePoint, char32_t(0x201A)); // 0x82 in Windows-1252
    decodeText("x\xF0\x9F\x98\x80y", DEFAULT_CHARSET, chars);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[1].codePoint, char32_t(0x1F600));
    EXPECT_EQ(chars[1].offset, 1u);
    EXPECT_EQ(chars[1].length, 4u);
    EXPECT_EQ(characterLength("x\xF0\x9F\x98\x80y", 1, DEFAULT_CHARSET), 4u);
}

TEST(CodePage, WindowsCharacterSetsUseTheirCodePages) {
    EXPECT_EQ(toUtf8("\x80", ANSI_CHARSET), "\xE2\x82\xAC");      // euro in 1252
    EXPECT_EQ(toUtf8("\xC0", 204), "\xD0\x90");                   // Cyrillic A in 1251
    EXPECT_EQ(toUtf8("\xE1", 161), "\xCE\xB1");                   // Greek alpha in 1253
    EXPECT_EQ(toUtf8("\xB9", 238), "\xC4\x85");                   // a-ogonek in 1250
    EXPECT_EQ(toUtf8("\x81", ANSI_CHARSET), "\xC2\x81");           // undefined byte keeps its value
    EXPECT_EQ(codePageOfCharSet(186), 1257);
    EXPECT_EQ(codePageOfCharSet(1), CP_UTF8_WITH_FALLBACK);
    // Shift-JIS: a double-byte character is one character of two bytes.
    std::vector<DecodedChar> chars;
    decodeText("\x82\xA0z", 128, chars);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].codePoint, char32_t(0x3042)); // hiragana a
}

TEST(CodePage, EncodingGoesBackIntoTheCharacterSet) {
    EXPECT_EQ(encodeCodePoint(0x20AC, ANSI_CHARSET), "\x80");
    EXPECT_EQ(encodeCodePoint(0x20AC, DEFAULT_CHARSET), "\xE2\x82\xAC");
    EXPECT_EQ(encodeCodePoint(0x0410, 204), "\xC0");
    EXPECT_EQ(encodeCodePoint(0x0410, ANSI_CHARSET), "?");
    EXPECT_EQ(fromUtf8("\xE2\x82\xAC 5", ANSI_CHARSET), "\x80 5");
}

} // namespace
} // namespace tavlin
