#include "engine/charset.h"

#include <gtest/gtest.h>

#include <string>

#include "base/cp1251.h"

namespace {

std::string normalised(std::string text) {
    NormaliseAndConvert(text);
    return text;
}

// KOI8-R places each small Russian letter 0x80 above the upper-case Latin letter or sign that
// transliterates it (а..я in this order), and each capital 0x20 above its small letter.
constexpr std::string_view kKoi8rShapes = "ABWGDEVZIJKLMNOPRSTUFHC^[]_YX\\@Q";

// Encodes Windows-1251 Russian text in KOI8-R (only the 66 Russian letters are high bytes).
std::string toKoi8r(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (c == u8"ё"_cp[0]) {
            out += '\xA3';
        } else if (c == u8"Ё"_cp[0]) {
            out += '\xB3';
        } else if (b >= 0xE0) {
            out += static_cast<char>(kKoi8rShapes[b - 0xE0] | 0x80);
        } else if (b >= 0xC0) {
            out += static_cast<char>(kKoi8rShapes[b - 0xC0] | 0xA0);
        } else {
            out += c;
        }
    }
    return out;
}

// Encodes Windows-1251 Russian text in ISO 8859-5, whose Cyrillic letters sit 0x360 below their
// Unicode code points.
std::string toIso88595(std::string_view text) {
    std::string out;
    for (char c : text) {
        char32_t cp = cp1251::codePointOf(static_cast<unsigned char>(c));
        out += cp >= 0x401 && cp <= 0x45F ? static_cast<char>(cp - 0x360) : c;
    }
    return out;
}

constexpr std::string_view kRussianPage =
    u8"<html><title>Привет, мир</title><body><p>Съешь же ещё этих мягких французских булок, да выпей "
    u8"чаю. Как дела? Всё хорошо. Это Москва, Ёлкино.</p><p>АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ "
    u8"абвгдежзийклмнопрстуфхцчшщъыьэюя</p></body></html>"_cp;

}  // namespace

TEST(Charset, NamesIndexesAndFallsBackToWindows1251) {
    EXPECT_EQ(CharsetName(Charset::kWindows1251), "Windows-1251");
    EXPECT_EQ(CharsetName(Charset::kKoi8r), "KOI8-R");
    EXPECT_EQ(CharsetName(Charset::kIso88595), "ISO 8859-5");
    EXPECT_EQ(static_cast<int>(Charset::kIso88595), 2) << "the indexes of the charset names";
    EXPECT_EQ(CharsetName(static_cast<Charset>(3)), "Windows-1251");
    EXPECT_EQ(CharsetName(static_cast<Charset>(-1)), "Windows-1251");
}

TEST(Charset, DetectionTiesKeepWindows1251) {
    EXPECT_EQ(DetectCharset({}), Charset::kWindows1251);
    EXPECT_EQ(DetectCharset({.b = 1, .c = 1, .d = 1, .e = 1, .f = 1}), Charset::kWindows1251);  // B = F, C + D = E + F
    EXPECT_EQ(DetectCharset({.b = 1, .c = 1, .d = 2, .e = 1, .f = 1}), Charset::kKoi8r);
    EXPECT_EQ(DetectCharset({.b = 2, .c = 1, .d = 1, .e = 2, .f = 1}), Charset::kWindows1251);  // D + E = B + C
    EXPECT_EQ(DetectCharset({.b = 2, .c = 1, .d = 2, .e = 2, .f = 1}), Charset::kIso88595);
    EXPECT_EQ(DetectCharset({.b = 0, .c = 1, .d = 0xFFFFFFFF, .e = 0xFFFFFFFF, .f = 0}),
              Charset::kKoi8r);  // no overflow
}

TEST(Charset, EntitiesBecomeSpacesOrAmpersand) {
    EXPECT_EQ(normalised("a&nbsp;b"), "a b");
    EXPECT_EQ(normalised("a&nbspb"), "a b");
    EXPECT_EQ(normalised("a&nbsp"), "a ");  // unterminated at the very end
    EXPECT_EQ(normalised("ab&nbs"), "ab&nbs");
    EXPECT_EQ(normalised("x&amp;y&amp;&amp;"), "x&y&&");
    EXPECT_EQ(normalised("&amp; x"), "& x");
    EXPECT_EQ(normalised("x&amp"), "x&amp");
    EXPECT_EQ(normalised("&lt; &quot; &AMP; &NBSP; &amp"), "&lt; &quot; &AMP; &NBSP; &amp");
}

TEST(Charset, SpacesAndLineBreaksCollapse) {
    EXPECT_EQ(normalised("   a"), "a");
    EXPECT_EQ(normalised("&nbsp; \r\n&nbsp;a"), "a");
    EXPECT_EQ(normalised("a  &nbsp;\r\n \r&nbspb  "), "a b ");
    EXPECT_EQ(normalised("<p>\r\ntext\r\nmore\r\n"), "<p>text more ");
    EXPECT_EQ(normalised("<p>\rtext"), "<p>text");
    EXPECT_EQ(normalised("a\nb\n\nc"), "abc");
    EXPECT_EQ(normalised("a\tb"), "a\tb");
    EXPECT_EQ(normalised(""), "");
}

TEST(Charset, PlainAsciiAndWindows1251StayUnconverted) {
    std::string ascii = "<html><body>Plain text, nothing else.</body></html>";
    EXPECT_EQ(NormaliseAndConvert(ascii), Charset::kWindows1251);
    EXPECT_EQ(ascii, "<html><body>Plain text, nothing else.</body></html>");

    std::string page(kRussianPage);
    EXPECT_EQ(NormaliseAndConvert(page), Charset::kWindows1251);
    EXPECT_EQ(page, kRussianPage);
}

TEST(Charset, Koi8rIsDetectedAndConverted) {
    ASSERT_EQ(toKoi8r(u8"Привет ёЁ"_cp), "\xF0\xD2\xC9\xD7\xC5\xD4 \xA3\xB3");  // as iconv writes it
    std::string page = toKoi8r(kRussianPage);
    EXPECT_EQ(NormaliseAndConvert(page), Charset::kKoi8r);
    EXPECT_EQ(cp1251::toUtf8(page), cp1251::toUtf8(kRussianPage));

    // KOI8-R characters that Windows-1251 lacks (box drawing, ÷) are left as they are.
    std::string text = toKoi8r(u8"Привет, мир"_cp) + "\x80\x9F";
    EXPECT_EQ(NormaliseAndConvert(text), Charset::kKoi8r);
    EXPECT_EQ(text, std::string(u8"Привет, мир"_cp) + "\x80\x9F");
}

// The signs KOI8-R shares with Windows-1251 take their Windows-1251 codes, not the letters that
// stand at their KOI8-R codes there (© at 0xBF would read as "ї").
TEST(Charset, Koi8rSignsTakeTheirWindows1251Codes) {
    struct Case {
        char koi8;
        const char* utf8;
    };
    for (const Case& c : {Case{'\xBF', "©"}, Case{'\x9A', "\u00A0"}, Case{'\x9C', "°"}, Case{'\x9E', "·"}}) {
        std::string text = toKoi8r(u8"Привет, мир"_cp) + c.koi8;
        EXPECT_EQ(NormaliseAndConvert(text, CharsetChoice::kKoi8r), Charset::kKoi8r);
        EXPECT_EQ(cp1251::toUtf8(text), std::string("Привет, мир") + c.utf8) << c.utf8;
    }
}

TEST(Charset, Iso88595IsDetectedAndConverted) {
    ASSERT_EQ(toIso88595(u8"Привет ёЁ"_cp), "\xBF\xE0\xD8\xD2\xD5\xE2 \xF1\xA1");  // as iconv writes it
    std::string page = toIso88595(kRussianPage);
    EXPECT_EQ(NormaliseAndConvert(page), Charset::kIso88595);
    EXPECT_EQ(cp1251::toUtf8(page), cp1251::toUtf8(kRussianPage));

    // The bytes above ё move down by 0x40 as a block, the numero sign 0xF0 included.
    std::string text = toIso88595(u8"Привет, Петя и Вова"_cp) + "\xF0\xF2";
    EXPECT_EQ(NormaliseAndConvert(text), Charset::kIso88595);
    EXPECT_EQ(text, std::string(u8"Привет, Петя и Вова"_cp) + "\xB0\xB2");
}

TEST(Charset, AChosenCharsetIsTakenWithoutDetection) {
    // Russian capitals are what the detection misreads: in KOI8-R they fill the bands of the small
    // Windows-1251 letters, and in Windows-1251 those of the KOI8-R letters.
    const std::string word(u8"<p>МОСКВА</p>"_cp);
    struct Case {
        CharsetChoice choice;
        std::string bytes;  // what reaches the step (UTF-8 is read into Windows-1251 before it)
        Charset charset;
    };
    const Case cases[] = {
        {CharsetChoice::kWindows1251, word, Charset::kWindows1251},
        {CharsetChoice::kKoi8r, toKoi8r(word), Charset::kKoi8r},
        {CharsetChoice::kIso88595, toIso88595(word), Charset::kIso88595},
        {CharsetChoice::kUtf8, word, Charset::kWindows1251},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(CharsetChoiceName(c.choice)));
        std::string text = c.bytes;
        EXPECT_EQ(NormaliseAndConvert(text, c.choice), c.charset);
        EXPECT_EQ(cp1251::toUtf8(text), "<p>МОСКВА</p>");
    }
    // Left to the detection, both capital pages are misread.
    std::string koi8 = toKoi8r(word);
    EXPECT_EQ(NormaliseAndConvert(koi8), Charset::kWindows1251);
    EXPECT_EQ(cp1251::toUtf8(koi8), "<p>нпулчб</p>");
    std::string windows1251 = word;
    EXPECT_EQ(NormaliseAndConvert(windows1251), Charset::kKoi8r);
    EXPECT_EQ(CharsetChoiceName(static_cast<CharsetChoice>(5)), "auto");
}
