#include "engine/pagesource.h"

#include <gtest/gtest.h>

#include <string>

#include "base/cp1251.h"

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

TEST(Pagesource, ReadSavedPartFollowsTheChosenCharset) {
    const std::string utf8 = "<p>\xD0\xB4\xD0\xBE\xD0\xBC</p>\n";  // "<p>дом</p>" in UTF-8
    const std::string dom(u8"<p>дом</p>\r\n"_cp);
    struct Case {
        CharsetChoice choice;
        std::string bytes;
        std::string text;
        bool fromUtf8;
    };
    const Case cases[] = {
        {CharsetChoice::kAuto, utf8, dom, true},
        {CharsetChoice::kAuto, kBom + "<p>a</p>", "<p>a</p>\r\n", true},
        {CharsetChoice::kAuto, "<p>a</p>\n", "<p>a</p>\r\n", false},  // ASCII reads the same in every charset
        {CharsetChoice::kAuto, dom, dom, false},
        // Converted before it is joined: a combining mark between CR and LF leaves one line end,
        // and a last line of marks alone is no line.
        {CharsetChoice::kAuto, "a\r\u0301\nb", "a\r\nb\r\n", true},
        {CharsetChoice::kAuto, "a\n\u0301\u0300", "a\r\n", true},
        {CharsetChoice::kAuto, "\u036F", "", true},
        {CharsetChoice::kAuto, "\xCD\xE0\r\n", "\xCD\xE0\r\n", false},  // "Нр" in Windows-1251, not UTF-8
        // A chosen single-byte charset takes even valid UTF-8 byte by byte.
        {CharsetChoice::kKoi8r, utf8 + "\0x"s, "<p>\xD0\xB4\xD0\xBE\xD0\xBC</p>\r\n", false},
        {CharsetChoice::kWindows1251, kBom + "a", kBom + "a\r\n", false},
        {CharsetChoice::kIso88595, dom, dom, false},
        // Chosen UTF-8 converts whatever the bytes: a byte that starts no sequence becomes a space.
        {CharsetChoice::kUtf8, utf8, dom, true},
        {CharsetChoice::kUtf8, "\xFF\xD0\xB4\xD0\n\0\xD0\xBE"s, std::string(u8" д \r\n"_cp), true},
        {CharsetChoice::kUtf8, kBom + "a", "a\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(CharsetChoiceName(c.choice)) + ": " + c.bytes);
        const PageText page = ReadSavedPart(c.bytes, c.choice);
        EXPECT_EQ(page.text, c.text);
        EXPECT_EQ(page.fromUtf8, c.fromUtf8);
        if (c.choice == CharsetChoice::kAuto) {
            EXPECT_EQ(page.text, SavedPartText(c.bytes));
        }
    }
    const std::string parts[] = {"<p>a</p>", utf8};
    const PageText joined = ReadSavedParts(parts, CharsetChoice::kAuto);
    EXPECT_EQ(joined.text, "<p>a</p>\r\n" + dom);
    EXPECT_TRUE(joined.fromUtf8);
    EXPECT_EQ(ReadSavedParts({}, CharsetChoice::kUtf8).text, "");
}
