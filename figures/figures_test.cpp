#include "figures/figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/cp1251.h"
#include "engine/test_analysis.h"

namespace {

using figures::CheckPage;
using figures::ComputeFigures;
using figures::PageCheck;
using figures::TextFigures;
using figures::Verdict;

const std::vector<std::string_view> kStopWords = {u8"она"_cp, u8"это"_cp, u8"что"_cp};

// The figures worked out by hand for each page.
struct FigureCase {
    const char* name;
    std::string body;  // UTF-8 body markup
    std::int64_t charsWithSpaces, charsWithoutSpaces, words, uniqueStems, significant, stop;
    double water, classic, academic, topShare;
};

class Figures : public testing::TestWithParam<FigureCase> {};

TEST_P(Figures, AreWorkedOutByHand) {
    const FigureCase& c = GetParam();
    const Analysed a = Analyse(Page(cp1251::fromUtf8Lossy(c.body)), {}, kStopWords);
    const TextFigures f = ComputeFigures(a.state);
    EXPECT_EQ(f.charsWithSpaces, c.charsWithSpaces);
    EXPECT_EQ(f.charsWithoutSpaces, c.charsWithoutSpaces);
    EXPECT_EQ(f.words, c.words);
    EXPECT_EQ(f.uniqueStems, c.uniqueStems);
    EXPECT_EQ(f.significantWords, c.significant);
    EXPECT_EQ(f.stopWords, c.stop);
    EXPECT_NEAR(f.water, c.water, 1e-9);
    EXPECT_NEAR(f.nauseaClassic, c.classic, 1e-9);
    EXPECT_NEAR(f.nauseaAcademic, c.academic, 1e-9);
    EXPECT_NEAR(f.topStemsShare, c.topShare, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, Figures,
    testing::Values(
        // Three words, none repeated: no water, classical nausea sqrt(1), academic 0.
        FigureCase{"NoRepeatedWord", "<p>Мама мыла раму.</p>", 15, 13, 3, 3, 3, 0, 0, 1, 0, 100},
        // Она, это, что are stop words; и, в too short to count: all water, no significant stem.
        FigureCase{"OnlyStopWords", "<p>Она это что и в</p>", 15, 11, 5, 5, 0, 3, 100, 0, 0, 0},
        FigureCase{"EmptyBody", "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        // кот 3, пёс 2, рыба 1 of 6 words: classical sqrt(3), academic (3 + 2) / 6.
        FigureCase{"Repeats", "<p>кот кот кот пёс пёс рыба</p>", 24, 19, 6, 3, 6, 0, 0, std::sqrt(3.0), 500.0 / 6, 100},
        // Six stems twice and one once: academic sums the five most frequent, 10 of 13 words.
        FigureCase{"AcademicTakesFive", "<p>кот кот пёс пёс лис лис сом сом ёрш ёрш бык бык жук</p>", 51, 39, 13, 7, 13,
                   0, 0, std::sqrt(2.0), 1000.0 / 13, 100},
        // One stop word and one short word of four: water 50 %; the stop word weighs nothing,
        // so the heaviest stems hold two words of four.
        FigureCase{"Water", "<p>что и кот лис</p>", 13, 10, 4, 4, 2, 1, 50, 1, 0, 50}),
    [](const testing::TestParamInfo<FigureCase>& info) { return std::string(info.param.name); });

// The characters of the text: white space and block tags as one space, inline tags joining,
// references as one character, scripts not read.
struct CharacterCase {
    const char* name;
    std::string body;
    std::int64_t withSpaces, withoutSpaces;
};

class Characters : public testing::TestWithParam<CharacterCase> {};

TEST_P(Characters, CountAsAReaderSees) {
    const CharacterCase& c = GetParam();
    const TextFigures f = ComputeFigures(Analyse(Page(cp1251::fromUtf8Lossy(c.body))).state);
    EXPECT_EQ(f.charsWithSpaces, c.withSpaces);
    EXPECT_EQ(f.charsWithoutSpaces, c.withoutSpaces);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Characters,
    testing::Values(CharacterCase{"BlockTagIsASpace", "<p>Мама</p><p>мыла</p>", 9, 8},
                    CharacterCase{"InlineTagJoins", "<p>Ма<b>ма</b></p>", 4, 4},
                    CharacterCase{"ReferenceIsOneCharacter", "<p>&laquo;Да&raquo; &#171;</p>", 6, 5},
                    CharacterCase{"SpacesCollapse", "<p>  один \r\n  два  </p>", 8, 7},
                    CharacterCase{"ScriptIsNotText", "<p>один</p><script>var x = 1;</script>", 4, 4}),
    [](const testing::TestParamInfo<CharacterCase>& info) { return std::string(info.param.name); });

TEST(Figures, KeyStemsAreTheHeaviestWithTheirDensity) {
    // кот weighs 3 (three plain words), слон 2 (one bold word, koefB 2).
    const Analysed a = Analyse(Page(u8"<p><b>слон</b> кот кот кот</p>"_cp));
    const TextFigures f = ComputeFigures(a.state);
    ASSERT_EQ(f.keyStems.size(), 2u);
    ASSERT_NE(a.word(u8"кот"_cp), nullptr);
    EXPECT_EQ(f.keyStems[0].id, a.word(u8"кот"_cp)->desc.link);
    EXPECT_EQ(f.keyStems[0].count, 3);
    EXPECT_DOUBLE_EQ(f.keyStems[0].density, 75);
    EXPECT_EQ(f.keyStems[1].count, 1);
    EXPECT_DOUBLE_EQ(f.keyStems[1].weight, 2);
}

TEST(Figures, AStateWithoutARunGivesZeros) {
    const TextFigures f = ComputeFigures(AnalysisState{});
    EXPECT_EQ(f.words, 0);
    EXPECT_EQ(f.water, 0);
    EXPECT_TRUE(f.keyStems.empty());
}

// The checks of a page: each case names the check, the head and body, and the verdict.
struct CheckCase {
    const char* name;
    std::size_t check;  // its index in CheckPage's order
    std::string head, body;
    Verdict verdict;
    const char* reason;  // UTF-8; the reason starts with it
};

class Checks : public testing::TestWithParam<CheckCase> {};

TEST_P(Checks, GiveTheirVerdict) {
    const CheckCase& c = GetParam();
    const Analysed a = Analyse(Page(cp1251::fromUtf8Lossy(c.body), cp1251::fromUtf8Lossy(c.head)));
    const std::vector<PageCheck> checks = CheckPage(a.state, ComputeFigures(a.state));
    ASSERT_EQ(checks.size(), 6u);
    const PageCheck& check = checks[c.check];
    EXPECT_EQ(check.verdict, c.verdict) << cp1251::toUtf8(check.reason);
    EXPECT_TRUE(cp1251::toUtf8(check.reason).starts_with(c.reason)) << cp1251::toUtf8(check.reason);
}

const std::string k70(70, 'x');
const std::string kMeta300 = "<meta name=\"description\" content=\"" + std::string(300, 'y') + "\">";

INSTANTIATE_TEST_SUITE_P(
    Pages, Checks,
    testing::Values(
        CheckCase{"TitleOk", 0, "<title>" + k70 + "</title>", "", Verdict::kOk, "70 знаков"},
        CheckCase{"TitleTooLong", 0, "<title>" + k70 + "z</title>", "", Verdict::kWarning, "71 знаков: больше 70"},
        CheckCase{"TitleMissing", 0, "", "<p>текст</p>", Verdict::kFault, "заголовка нет"},
        CheckCase{"TitleBlank", 0, "<title>   </title>", "", Verdict::kFault, "заголовка нет"},
        CheckCase{"TitleReferenceIsOneCharacter", 0, "<title>&laquo;" + std::string(68, 'x') + "&raquo;</title>", "",
                  Verdict::kOk, "70 знаков"},
        CheckCase{"DescriptionOk", 1, "<meta name=\"description\" content=\"Кони и слоны\">", "", Verdict::kOk,
                  "12 знаков"},
        CheckCase{"Description300", 1, kMeta300, "", Verdict::kWarning, "300 знаков: больше 160"},
        CheckCase{"DescriptionMissing", 1, "<meta name=\"keywords\" content=\"кони, слоны\">", "", Verdict::kFault,
                  "описания нет"},
        CheckCase{"OneH1", 2, "", "<h1>Кони</h1>", Verdict::kOk, "один"},
        CheckCase{"TwoH1", 2, "", "<h1>Кони</h1><p>текст</p><h1>Слоны</h1>", Verdict::kWarning,
                  "заголовков <h1>: 2, нужен один"},
        CheckCase{"NoH1", 2, "", "<h2>Кони</h2>", Verdict::kFault, "на странице нет"},
        CheckCase{"KeyStemsInTitle", 3, "<title>Кони скачут</title>", "<h1>Кони</h1><p>Кони скачут.</p>", Verdict::kOk,
                  "есть все"},
        // The key stems кон and скач are missing from a title about elephants.
        CheckCase{"KeyStemMissingFromTitle", 3, "<title>Слоны</title>", "<h1>Кони</h1><p>Кони скачут.</p>",
                  Verdict::kWarning, "нет словооснов: "},
        CheckCase{"KeyStemsWithoutTitle", 3, "", "<p>Кони скачут.</p>", Verdict::kFault, "заголовка нет"},
        CheckCase{"KeyStemMissingFromH1", 4, "", "<h1>Слоны</h1><p>Кони кони скачут.</p>", Verdict::kWarning,
                  "нет словооснов: "},
        CheckCase{"KeyStemsInDescription", 5, "<meta name=\"description\" content=\"Кони скачут\">",
                  "<p>Кони скачут.</p>", Verdict::kOk, "есть все"},
        CheckCase{"KeyStemsWithoutText", 5, "<meta name=\"description\" content=\"Кони скачут\">", "",
                  Verdict::kWarning, "в тексте нет"}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(Checks, AMissingKeyStemIsNamed) {
    const Analysed a = Analyse(Page(u8"<h1>Кони</h1><p>Кони скачут.</p>"_cp, u8"<title>Кони</title>"_cp));
    const TextFigures f = ComputeFigures(a.state);
    ASSERT_EQ(f.keyStems.size(), 2u);
    const PageCheck check = CheckPage(a.state, f)[3];
    EXPECT_EQ(check.verdict, Verdict::kWarning);
    EXPECT_EQ(check.reason, std::string(u8"нет словооснов: "_cp) + f.keyStems[1].stem);
}

TEST(FigureLines, GiveEveryFigureAHintAndTheDecimalSeparator) {
    const Analysed a = Analyse(Page(u8"<p>кот кот кот пёс пёс рыба</p>"_cp));
    const auto lines = figures::FigureLines(ComputeFigures(a.state), ',');
    ASSERT_EQ(lines.size(), 13u);  // ten figures and three key stems
    for (const auto& line : lines) EXPECT_FALSE(line.hint.empty()) << line.key;
    EXPECT_EQ(lines[7].key, "nausea_classic");
    EXPECT_EQ(lines[7].value, "1,73");
    EXPECT_EQ(lines[6].caption, u8"Вода, %"_cp);
}

TEST(TextLength, TrimsAndCountsReferencesOnce) {
    EXPECT_EQ(figures::TextLength("  a&amp;b  "), 3u);
    EXPECT_EQ(figures::TextLength("&;x"), 3u);
    EXPECT_EQ(figures::TextLength(""), 0u);
}

}  // namespace
