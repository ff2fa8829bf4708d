#include "compare/keywords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// One contingency table and its measures worked out by hand.
struct KeynessCase {
    const char* name;
    long long o1, n1, o2, n2;
    double logLikelihood, logRatio;
    std::optional<double> percentDiff;
    double simpleMaths;
};

const KeynessCase kKeynessCases[] = {
    // E1 = E2 = 10: nothing to tell the sides apart.
    {"equal frequencies", 10, 1000, 10, 1000, 0, 0, 0, 1},
    // E1 = 50, E2 = 100: G² = 2 (100 ln 2 + 50 ln 0.5) = 100 ln 2.
    {"twice as frequent", 100, 10000, 50, 20000, 100 * std::log(2.0), 2, 300, 10001.0 / 2501},
    // E1 = E2 = 5: G² = 20 ln 2; the reference's zero is 0.5 for Log Ratio: log2(10 / 0.5).
    {"absent from the reference", 10, 1000, 0, 1000, 20 * std::log(2.0), std::log2(20.0), std::nullopt, 10001},
    // E1 = 5, E2 = 15: G² = 40 ln(4 / 3); the target's zero is 0.5: log2(0.0005 / (20 / 3000)).
    {"absent from the target", 0, 1000, 20, 3000, 40 * std::log(4.0 / 3), std::log2(0.075), -100,
     1 / (20.0 / 3000 * 1e6 + 1)},
};

TEST(Keywords, MeasuresSmallTablesAsWorkedOutByHand) {
    for (const KeynessCase& c : kKeynessCases) {
        SCOPED_TRACE(c.name);
        const KeyMeasures m = MeasureKeyness(c.o1, c.n1, c.o2, c.n2);
        EXPECT_NEAR(m.fpmTarget, c.o1 * 1e6 / c.n1, 1e-9);
        EXPECT_NEAR(m.fpmReference, c.o2 * 1e6 / c.n2, 1e-9);
        EXPECT_NEAR(m.logLikelihood, c.logLikelihood, 1e-9);
        EXPECT_NEAR(m.logRatio, c.logRatio, 1e-9);
        ASSERT_EQ(m.percentDiff.has_value(), c.percentDiff.has_value());
        if (c.percentDiff) {
            EXPECT_NEAR(*m.percentDiff, *c.percentDiff, 1e-9);
        }
        EXPECT_NEAR(m.simpleMaths, c.simpleMaths, 1e-12);
    }
}

TEST(Keywords, SimpleMathsTakesTheSmoothingGiven) {
    // fpm 10,000 against 2,500: (10,000 + 100) / (2,500 + 100).
    EXPECT_NEAR(MeasureKeyness(100, 10000, 50, 20000, 100).simpleMaths, 10100.0 / 2600, 1e-12);
}

TEST(Keywords, LogLikelihoodOfAnEmptySideIsZero) {
    EXPECT_EQ(LogLikelihood(3, 0, 3, 100), 0);
    EXPECT_EQ(LogLikelihood(3, 100, 3, 0), 0);
}

TEST(Keywords, CriticalValuesAreTheTableAndChiSquareBetween) {
    const std::pair<double, double> cases[] = {
        {0.05, 3.84},    {0.01, 6.63},      {0.001, 10.83},
        {0.0001, 15.13}, {0.005, 7.879439}, {0.1, 2.705543},  // chi-square with one degree of freedom
    };
    for (auto [p, critical] : cases) EXPECT_NEAR(CriticalValue(p), critical, 1e-6) << p;
}

TEST(Keywords, SignificanceIsTheStrictestLevelPassed) {
    const std::pair<double, std::optional<double>> cases[] = {{3.0, std::nullopt}, {3.84, 0.05},    {6.7, 0.01},
                                                              {13.86, 0.001},      {15.13, 0.0001}, {100, 0.0001}};
    for (auto [ll, level] : cases) EXPECT_EQ(SignificanceOf(ll), level) << ll;
}

// Target of 1000 words and reference of 1000: "new" G² = 20 ln 2 = 13.86 (+), "same" 0, "rare"
// 2 ln 2 = 1.39 (+), "old" 40 ln 2 = 27.73 (−).
const ItemCounts kTarget = {{"new", 10}, {"same", 10}, {"rare", 1}};
const ItemCounts kReference = {{"same", 10}, {"old", 20}};

struct FilterCase {
    const char* name;
    KeywordOptions options;
    std::vector<std::string> positive, negative;
};

const FilterCase kFilterCases[] = {
    {"p < 0.01", {}, {"new"}, {"old"}},
    {"p < 0.0001 leaves out new", {2, 0.0001, false, 1}, {}, {"old"}},
    {"p < 0.05 and one occurrence", {1, 0.05, false, 1}, {"new"}, {"old"}},
    {"the minimum count of each side", {11, 0.01, false, 1}, {}, {"old"}},
    // 0.001 / 4 needs 13.41: new passes; 0.0001 / 4 needs 17.8: new does not.
    {"Bonferroni over four items", {2, 0.001, true, 1}, {"new"}, {"old"}},
    {"Bonferroni at the strictest level", {2, 0.0001, true, 1}, {}, {"old"}},
};

TEST(Keywords, FiltersByLevelCountAndCorrection) {
    for (const FilterCase& c : kFilterCases) {
        SCOPED_TRACE(c.name);
        const Keywords k = FindKeywords(kTarget, 1000, kReference, 1000, c.options);
        EXPECT_EQ(k.compared, 4u);
        std::vector<std::string> positive, negative;
        for (const Keyword& w : k.positive) positive.push_back(w.item);
        for (const Keyword& w : k.negative) negative.push_back(w.item);
        EXPECT_EQ(positive, c.positive);
        EXPECT_EQ(negative, c.negative);
    }
}

TEST(Keywords, BonferroniDividesTheLevelByTheItemsCompared) {
    KeywordOptions o;
    o.bonferroni = true;
    EXPECT_NEAR(FindKeywords(kTarget, 1000, kReference, 1000, o).criticalValue, CriticalValue(0.0025), 1e-12);
}

TEST(Keywords, SortsByLogLikelihoodThenText) {
    const ItemCounts target = {{"b", 30}, {"a", 30}, {"c", 60}};
    const ItemCounts reference = {{"z", 1}};
    const Keywords k = FindKeywords(target, 1000, reference, 1000, {});
    ASSERT_EQ(k.positive.size(), 3u);
    EXPECT_EQ(k.positive[0].item, "c");
    EXPECT_EQ(k.positive[1].item, "a");
    EXPECT_EQ(k.positive[2].item, "b");
    EXPECT_EQ(k.positive[1].target, 30);
    EXPECT_EQ(k.positive[1].reference, 0);
}

TEST(Keywords, NothingWithoutWordsOnASide) {
    EXPECT_TRUE(FindKeywords(kTarget, 0, kReference, 1000, {}).positive.empty());
    EXPECT_TRUE(FindKeywords(kTarget, 1000, kReference, 0, {}).negative.empty());
}

}  // namespace
