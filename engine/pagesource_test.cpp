#include "engine/pagesource.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/cp1251.h"

using namespace std::string_literals;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

}  // namespace

TEST(Pagesource, JoinLinesEndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinLines(""), "");
    EXPECT_EQ(JoinLines("abc"), "abc\r\n");
    EXPECT_EQ(JoinLines("a\r\nb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(JoinLines("a\nb"), "a\r\nb\r\n");
    EXPECT_EQ(JoinLines("a\rb\r"), "a\r\nb\r\n");
    EXPECT_EQ(JoinLines("a\n\rb"), "a\r\n\r\nb\r\n");  // LF CR is two line ends
    EXPECT_EQ(JoinLines("a\r\rb\n\nc\r\n\r\n"), "a\r\n\r\nb\r\n\r\nc\r\n\r\n");
    EXPECT_EQ(JoinLines("\r\n"), "\r\n");
    EXPECT_EQ(JoinLines("\n"), "\r\n");
}

TEST(Pagesource, JoinLinesStopsAtNul) {
    EXPECT_EQ(JoinLines("ab\0cd\r\n"s), "ab\r\n");
    EXPECT_EQ(JoinLines("ab\r\n\0cd"s), "ab\r\n");
    EXPECT_EQ(JoinLines("\0abc"s), "");
}

TEST(Pagesource, ConvertsUtf8Pages) {
    EXPECT_EQ(ToSingleByte("<p>Привет, мир</p>"), u8"<p>Привет, мир</p>"_cp);
    EXPECT_EQ(ToSingleByte("a\u00A0b"), "a b");
    EXPECT_EQ(ToSingleByte("a\U0001F600b\u4E2D\u6587c"), "a b  c");  // one space per character
    EXPECT_EQ(ToSingleByte(kBom + "ёЁ №"), u8"ёЁ №"_cp);
    EXPECT_EQ(ToSingleByte(kBom + "<html>"), "<html>");
}

TEST(Pagesource, KeepsSingleBytePages) {
    EXPECT_EQ(ToSingleByte("<p>plain ASCII</p>\r\n"), "<p>plain ASCII</p>\r\n");
    const std::string windows1251(u8"<p>Привет, мир</p>"_cp);
    ASSERT_FALSE(cp1251::isValidUtf8(windows1251));
    EXPECT_EQ(ToSingleByte(windows1251), windows1251);
    const std::string koi8r = "\xF0\xD2\xC9\xD7\xC5\xD4";  // "Привет" in KOI8-R
    EXPECT_EQ(ToSingleByte(koi8r), koi8r);
}

TEST(Pagesource, SavedPartTextCutsConvertsAndJoins) {
    // UTF-8 "дом" then the same word in Windows-1251: not UTF-8 after all, so kept byte for byte.
    const std::string mixed = "<p>\xD0\xB4\xD0\xBE\xD0\xBC\n\xE4\xEE\xEC</p>";
    EXPECT_EQ(SavedPartText(mixed), "<p>\xD0\xB4\xD0\xBE\xD0\xBC\r\n\xE4\xEE\xEC</p>\r\n");
    EXPECT_EQ(SavedPartText("\xD0\xB4\r\xD0\xBE\n\r\xD0\xBC"), u8"д\r\nо\r\n\r\nм\r\n"_cp);
    EXPECT_EQ(SavedPartText(kBom), "");
    EXPECT_EQ(SavedPartText(kBom + kBom + "a"), " a\r\n");
    EXPECT_EQ(SavedPartText(kBom + "<p>Дом</p>\n<p>\u00A0</p>\0junk \xFF"s), u8"<p>Дом</p>\r\n<p> </p>\r\n"_cp);
    EXPECT_EQ(SavedPartText(""), "");
}
