#include "engine/wordindex.h"

#include <gtest/gtest.h>

#include <string>

#include "base/cp1251.h"

namespace {

// Compares in UTF-8 so that a failure prints readable Cyrillic.
std::string stemRu(std::string_view word) { return cp1251::toUtf8(StemRussian(word)); }

}  // namespace

TEST(Wordindex, StripsLongestInflection) {
    EXPECT_EQ(stemRu(u8"ошибками"_cp), "ошибк");
    EXPECT_EQ(stemRu(u8"домами"_cp), "дом");
    EXPECT_EQ(stemRu(u8"дома"_cp), "дом");
    EXPECT_EQ(stemRu(u8"дом"_cp), "дом");
    EXPECT_EQ(stemRu(u8"анализа"_cp), "анализ");
    EXPECT_EQ(stemRu(u8"анализу"_cp), "анализ");
    EXPECT_EQ(stemRu(u8"сказали"_cp), "сказал");
    EXPECT_EQ(stemRu(u8"вышли"_cp), "вышл");
    EXPECT_EQ(stemRu(u8"новейший"_cp), "новейш");
    EXPECT_EQ(stemRu(u8"стоит"_cp), "сто");
    EXPECT_EQ(stemRu(u8"стоять"_cp), "сто");
}

TEST(Wordindex, RunsReflexiveThenInflectionThenFinalPass) {
    EXPECT_EQ(stemRu(u8"учиться"_cp), "уч");
    EXPECT_EQ(stemRu(u8"бывшись"_cp), "бы");
    EXPECT_EQ(stemRu(u8"вшись"_cp), "вш");     // "вшись" would leave no stem, "ись" wins
    EXPECT_EQ(stemRu(u8"мыслью"_cp), "мысл");  // "ю" by the second pass, "ь" by the third
}

TEST(Wordindex, KeepsTwoBytesOfStem) {
    EXPECT_EQ(stemRu(u8"кто"_cp), "кт");
    EXPECT_EQ(stemRu(u8"ими"_cp), "им");  // "ими" itself is too long to strip
    EXPECT_EQ(stemRu(u8"ты"_cp), "ты");
    EXPECT_EQ(stemRu(u8"я"_cp), "я");
    EXPECT_EQ(stemRu(""), "");
}

TEST(Wordindex, LeavesOverlongWordsUnchanged) {
    std::string word(252, u8"д"_cp[0]);
    word += u8"ами"_cp;
    ASSERT_EQ(word.size(), 255u);
    EXPECT_EQ(StemRussian(word), word);
    EXPECT_EQ(StemLatin(std::string(254, 'a') + "s"), std::string(254, 'a') + "s");

    word.erase(0, 1);
    ASSERT_EQ(word.size(), 254u);
    EXPECT_EQ(StemRussian(word), word.substr(0, 251));
    EXPECT_EQ(StemLatin(std::string(253, 'a') + "s"), std::string(253, 'a'));
}

TEST(Wordindex, ReturnsPrefixOfInput) {
    const std::string word(u8"ошибками"_cp);
    std::string_view stem = StemRussian(word);
    EXPECT_EQ(stem.data(), word.data());
}

TEST(Wordindex, LatinStripsOneTrailingS) {
    EXPECT_EQ(StemLatin("texts"), "text");
    EXPECT_EQ(StemLatin("words"), "word");
    EXPECT_EQ(StemLatin("was"), "wa");
    EXPECT_EQ(StemLatin("is"), "is");
    EXPECT_EQ(StemLatin("class"), "clas");
    EXPECT_EQ(StemLatin("text"), "text");
}
