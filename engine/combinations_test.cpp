#include "engine/combinations.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "engine/test_analysis.h"

namespace {

const ListEntry<ExprDescription>* findExpr(const Analysed& a, std::string_view text) {
    for (const auto& e : a.state.slWordExpr) {
        if (e.text == text) return &e;
    }
    return nullptr;
}

TEST(CombinationWindow, SevenWordPhraseAddsTwentyCombinations) {
    Analysed a = Analyse(Page("<p>aaa bbb ccc ddd eee fff ggg</p>"));
    EXPECT_EQ(a.exprEntries, 6 + 5 + 4 + 3 + 2);
    EXPECT_TRUE(a.state.slWordExpr.empty()) << "a combination seen once is never listed";
    EXPECT_DOUBLE_EQ(a.state.weTotals.repeatedCount, 0);
}

TEST(CombinationList, AbsorbsCombinationsThatAlwaysOccurTogether) {
    std::string p(u8"<p>система анализа текста</p>"_cp);
    Analysed a = Analyse(Page(p + p + p));
    ASSERT_EQ(a.state.slWordExpr.size(), 1u);
    const auto& e = a.state.slWordExpr[0];
    EXPECT_EQ(e.text, u8"система анализа текста"_cp);
    EXPECT_EQ(e.desc.count, 3);
    EXPECT_EQ(e.desc.length, 3);
    EXPECT_EQ(e.desc.stemText, u8"систем анализ текст"_cp);
    EXPECT_TRUE(e.desc.flags.empty());
    EXPECT_DOUBLE_EQ(a.state.weTotals.entryCount, 3);
    EXPECT_DOUBLE_EQ(a.state.weTotals.repeatedCount, 9);
    EXPECT_DOUBLE_EQ(a.state.weTotals.listedCount, 3);
    // Entry 0 (система анализа) is absorbed; the listed entry comes second of three entries, so
    // its 3 occurrences count two thirds, at the mean weight 1 of its stems: 3 * 2/3 * 1.
    EXPECT_DOUBLE_EQ(e.desc.weight, 2.0);
}

TEST(CombinationList, WeightIsTheCountAtTheMeanWeightOfItsStemOccurrences) {
    // москв: 2 occurrences of a possible name, 1.2 each; рек: 3 occurrences of 1. The only
    // combination comes first, so its 2 occurrences count whole: 2 * (2.4 + 3) / (2 + 3).
    Analysed a = Analyse(Page(u8"<p>Москва река</p><p>Москва река</p><p>река</p>"_cp));
    ASSERT_EQ(a.state.slWordExpr.size(), 1u);
    EXPECT_DOUBLE_EQ(a.state.slWordExpr[0].desc.stemWeightSum, 5.4);
    EXPECT_DOUBLE_EQ(a.state.slWordExpr[0].desc.weight, 2.16);
}

TEST(CombinationList, IgnoredWordsCannotStartOrEndAListedCombination) {
    std::string p(u8"<p>в рамках проекта</p>"_cp);
    Analysed a = Analyse(Page(p + p));
    ASSERT_EQ(a.state.slWordExpr.size(), 1u);
    EXPECT_EQ(a.state.slWordExpr[0].text, u8"рамках проекта"_cp);
}

TEST(CombinationList, NavigationalAndSelectionListCombinations) {
    Analysed links = Analyse(Page(u8"<a>главная страница</a><a>главная страница</a>"_cp));
    ASSERT_EQ(links.state.slWordExpr.size(), 1u);
    EXPECT_EQ(links.state.slWordExpr[0].desc.flags, ExprFlags(ExprFlag::kNavigational));
    EXPECT_EQ(links.state.slWordExpr[0].text, u8"главная страница"_cp);

    Analysed mixed = Analyse(Page(u8"<a>главная страница</a><p>главная страница</p>"_cp));
    EXPECT_TRUE(mixed.state.slWordExpr[0].desc.flags.empty());

    Analysed options = Analyse(Page(u8"<select><option>первый вариант<option>первый вариант</select>"_cp));
    EXPECT_EQ(options.state.slWordExpr[0].desc.flags, ExprFlags(ExprFlag::kSelectOption));
}

TEST(CombinationList, DisplayTextIsTheFirstOccurrenceInNormalForm) {
    Analysed a = Analyse(Page(u8"<p>анализ текста</p><p>анализа текстов</p>"_cp));
    EXPECT_NE(findExpr(a, u8"анализ текста"_cp), nullptr);
    Analysed b = Analyse(Page(u8"<p>анализа текстов</p><p>анализ текста</p>"_cp));
    EXPECT_NE(findExpr(b, u8"анализа текстов"_cp), nullptr);
    Analysed c = Analyse(Page(u8"<p>Анализ текста</p><p>анализ текста</p>"_cp));
    EXPECT_NE(findExpr(c, u8"анализ текста"_cp), nullptr) << "a capitalised first word of a normal stem is lowercased";
}

TEST(CombinationList, WithoutANormalFormAllDistinctFormsAreListed) {
    Analysed a = Analyse(Page(u8"<p>анализом текста</p><p>анализе текста</p><p>анализом текста</p>"_cp));
    ASSERT_EQ(a.state.slWordExpr.size(), 1u);
    EXPECT_EQ(a.state.slWordExpr[0].text, u8"анализом текста, анализе текста"_cp);
    EXPECT_EQ(a.state.slWordExpr[0].desc.flags, ExprFlags(ExprFlag::kNotNormalized));
}

TEST(CombinationList, ExceptionsAreNotNominative) {
    // "тной" looks like the ending "ой" but is an exception.
    Analysed a = Analyse(Page(u8"<p>бесплатной программы</p><p>бесплатной программы</p>"_cp));
    ASSERT_EQ(a.state.slWordExpr.size(), 1u);
    EXPECT_EQ(a.state.slWordExpr[0].desc.flags, ExprFlags(ExprFlag::kNotNormalized));
    Analysed latin = Analyse(Page("<p>open source</p><p>open sources</p>"));
    EXPECT_EQ(latin.state.slWordExpr[0].text, "open source");
}

}  // namespace
