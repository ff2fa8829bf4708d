#include "base/cp1251.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::string_literals;

TEST(Cp1251, LiteralsConvertAtCompileTime) {
    static_assert(u8"ся"_cp == "\xF1\xFF");
    static_assert(u8"Ёё№"_cp == "\xA8\xB8\xB9");
    static_assert(u8"ascii"_cp == "ascii");
    EXPECT_EQ(u8""_cp.size(), 0u);
}

TEST(Cp1251, HighHalfRoundTrips) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x98) continue;
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = cp1251::toUtf8(byte);
        EXPECT_TRUE(cp1251::isValidUtf8(utf8)) << b;
        EXPECT_EQ(cp1251::fromUtf8Strict(utf8), byte) << b;
        EXPECT_EQ(cp1251::byteOf(cp1251::codePointOf(static_cast<unsigned char>(b))), b) << b;
    }
    std::string ascii;
    for (int b = 1; b < 0x80; ++b) ascii += static_cast<char>(b);
    EXPECT_EQ(cp1251::toUtf8(ascii), ascii);
    EXPECT_EQ(cp1251::fromUtf8Strict(ascii), ascii);
}

TEST(Cp1251, UnassignedByteBecomesReplacementCharacter) {
    EXPECT_EQ(cp1251::codePointOf(0x98), U'\uFFFD');
    EXPECT_EQ(cp1251::toUtf8("a\x98z"), "a\uFFFDz");
    EXPECT_EQ(cp1251::fromUtf8Strict("\uFFFD"), std::nullopt);
    EXPECT_EQ(cp1251::byteOf(0), 0);  // the gap in the table is not a code for U+0000
}

TEST(Cp1251, RejectsInvalidUtf8) {
    for (std::string bad : {"\xC0\xAF"s, "\xE0\x80\xAF"s, "\xF0\x80\x80\xAF"s,  // overlong
                            "\xED\xA0\x80"s, "\xED\xBF\xBF"s,                   // surrogates
                            "\xD0"s, "a\xE2\x82"s, "\xF0\x9F\x98"s,             // truncated
                            "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s,           // above U+10FFFF
                            "\x80"s, "\xD0\x41"s, "\xFF"s}) {
        EXPECT_FALSE(cp1251::isValidUtf8(bad)) << testing::PrintToString(bad);
        EXPECT_EQ(cp1251::fromUtf8Strict(bad), std::nullopt) << testing::PrintToString(bad);
    }
    EXPECT_TRUE(cp1251::isValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
    EXPECT_TRUE(cp1251::isValidUtf8(""));
}

TEST(Cp1251, StrictRejectsCharactersOutsideCodePage) {
    EXPECT_EQ(cp1251::fromUtf8Strict("é"), std::nullopt);
    EXPECT_EQ(cp1251::fromUtf8Strict("дом\u4E2D"), std::nullopt);
    EXPECT_EQ(cp1251::fromUtf8Strict("\U0001F600"), std::nullopt);
    EXPECT_EQ(cp1251::fromUtf8Strict("дом"), u8"дом"_cp);
}

namespace {

std::optional<std::string> validLossy(std::string text) {
    if (!cp1251::fromValidUtf8LossyInPlace(text)) return std::nullopt;
    return text;
}

}  // namespace

TEST(Cp1251, LossyReplacesMissingCharactersWithSpacesAndDropsCombiningMarks) {
    const struct {
        const char* name;
        std::string utf8;
        std::string_view expected;  // Windows-1251
    } cases[] = {
        {"byte-order mark, no-break space, missing characters", "\xEF\xBB\xBF"s + "a\u00A0é\U0001F600б", u8"a   б"_cp},
        {"U+FEFF inside the text", "a\xEF\xBB\xBF", "a "},
        {"stress mark", "Приве\u0301т", u8"Привет"_cp},
        {"stress marks on capitals and after ASCII", "ГО\u0301РОД e\u0301", u8"ГОРОД e"_cp},
        {"first and last combining mark", "\u0300а\u036F", u8"а"_cp},
        {"past the combining block", "а\u0370б\u02FFв", u8"а б в"_cp},
        {"mark in a long ASCII run", "abcdefgh\u0301ijklmnop", "abcdefghijklmnop"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cp1251::fromUtf8Lossy(c.utf8), c.expected);
        EXPECT_EQ(validLossy(c.utf8), c.expected);
    }
}

TEST(Cp1251, ValidLossyConvertsOnlyValidUtf8) {
    // Each byte of the code page in UTF-8, between ASCII runs long and short, converts back.
    std::string page;
    std::string expected;
    for (int b = 1; b <= 0xFF; ++b) {
        if (b == 0x98) continue;
        const std::string run(static_cast<std::size_t>(b % 11), 'x');
        page += run + cp1251::toUtf8(std::string(1, static_cast<char>(b)));
        expected += run + (b == 0xA0 ? ' ' : static_cast<char>(b));
    }
    EXPECT_EQ(validLossy(page), expected);
    EXPECT_EQ(cp1251::fromUtf8Lossy(page), expected);
    EXPECT_EQ(validLossy("\xEF\xBB\xBF"
                         "abc"),
              "abc");
    EXPECT_EQ(validLossy("plain ascii text"), "plain ascii text");
    for (std::string bad : {"abcdefgh\xD0"s, "\xD0\x41"s, "0123456789\xE0\x80\xAF"s, "\xED\xA0\x80"s,
                            "\xD0\xB4\xD0\xBE\xD0\xBC \xE4\xEE\xEC"s}) {
        EXPECT_EQ(validLossy(bad), std::nullopt) << testing::PrintToString(bad);
        EXPECT_FALSE(cp1251::isValidUtf8(bad)) << testing::PrintToString(bad);
    }
    EXPECT_EQ(cp1251::fromUtf8Lossy("abcdefgh\xD0\x41"), "abcdefgh A");  // the invalid byte becomes a space
}
