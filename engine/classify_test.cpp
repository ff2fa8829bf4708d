#include "engine/classify.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "engine/wordcode.h"

namespace {

constexpr std::uint32_t kIgnored = wordcode::kIgnoredBit;

TEST(Classify, LettersOfOneAlphabet) {
    EXPECT_EQ(Classify(u8"слово"_cp), 0x000u);
    EXPECT_EQ(Classify(u8"Слово"_cp), 0x001u);
    EXPECT_EQ(Classify(u8"СССР"_cp), 0x002u);
    EXPECT_EQ(Classify(u8"Ёжик"_cp), 0x001u);
    EXPECT_EQ(Classify("word"), 0x100u);
    EXPECT_EQ(Classify("Word"), 0x101u);
    EXPECT_EQ(Classify("NASA"), 0x102u);
}

TEST(Classify, ShortWordsAreIgnored) {
    EXPECT_EQ(Classify(u8"я"_cp), 0x000u | kIgnored);
    EXPECT_EQ(Classify(u8"он"_cp), 0x000u | kIgnored);
    EXPECT_EQ(Classify(u8"Ян"_cp), 0x001u);
    EXPECT_EQ(Classify(u8"ИП"_cp), 0x002u);
    EXPECT_EQ(Classify("is"), 0x100u | kIgnored);
    EXPECT_EQ(Classify("OK"), 0x102u);
}

TEST(Classify, NumbersAndMixtures) {
    EXPECT_EQ(Classify("12"), 0x203u | kIgnored);
    EXPECT_EQ(Classify("123"), 0x203u);
    EXPECT_EQ(Classify("A4"), 0x304u);
    EXPECT_EQ(Classify(u8"МП3"_cp), 0x304u);
    EXPECT_EQ(Classify("x86"), 0x304u);
    EXPECT_EQ(Classify(u8"wоrd"_cp), 0x304u) << "a Latin word with a Cyrillic look-alike letter";
}

TEST(Classify, OneOtherByte) {
    EXPECT_EQ(Classify("3.14"), 0x405u);
    EXPECT_EQ(Classify("1.5"), 0x405u | kIgnored);
    EXPECT_EQ(Classify("1.2.3"), 0x405u | kIgnored);
    EXPECT_EQ(Classify(u8"кто-то"_cp), 0x000u);
    EXPECT_EQ(Classify("e-mail"), 0x100u);
    EXPECT_EQ(Classify(u8"Санкт-Петербург"_cp), 0x002u);
    EXPECT_EQ(Classify(u8"т.д."_cp), 0x405u | kIgnored);
}

TEST(Lowercase, BothAlphabetsAndYo) {
    std::string word(u8"ЁЛКА Tree"_cp);
    for (char& c : word) c = LowercaseByte(c);
    EXPECT_EQ(word, u8"ёлка tree"_cp);
    EXPECT_EQ(LowercaseSystem(u8"ЎЄЇІ Ф"_cp), u8"ўєїі ф"_cp);
}

}  // namespace
