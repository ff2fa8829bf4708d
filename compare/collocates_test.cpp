#include "compare/collocates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(Collocates, MeasuresAsWorkedOutByHand) {
    // O = 4, f_x = f_y = 4, N = 100, one word each side: E = 4 · 4 · 2 / 100 = 0.32.
    const CollocateMeasures m = MeasureCollocation(4, 4, 4, 100, 1);
    EXPECT_NEAR(m.expected, 0.32, 1e-12);
    EXPECT_NEAR(m.mi, std::log2(12.5), 1e-12);
    EXPECT_NEAR(m.mi3, std::log2(200.0), 1e-12);
    EXPECT_NEAR(m.tScore, 1.84, 1e-12);
    EXPECT_NEAR(m.logDice, 14, 1e-12);
    // Cells 4, 4, 0, 92 against 0.32, 7.68, 3.68, 88.32.
    const double ll = 2 * (4 * std::log(4 / 0.32) + 4 * std::log(4 / 7.68) + 92 * std::log(92 / 88.32));
    EXPECT_NEAR(m.logLikelihood, ll, 1e-9);
}

TEST(Collocates, LogDiceOfHalfTheOccurrences) {
    // 2 O / (f_x + f_y) = 4 / 16: logDice 12.
    EXPECT_NEAR(MeasureCollocation(2, 8, 8, 1000, 5).logDice, 12, 1e-12);
}

constexpr std::uint32_t kNode = 0, kA = 1, kB = 2, kC = 3, kD = 4;

// Sentences: "a node b", "a node c", "a node", "c c c c b", "node", "a" (the last a follows the
// node across a sentence end). a is beside three of the four nodes, b and c once each.
std::vector<CollocateToken> rankedText() {
    const std::vector<std::vector<std::uint32_t>> sentences = {{kA, kNode, kB},      {kA, kNode, kC}, {kA, kNode},
                                                               {kC, kC, kC, kC, kB}, {kNode},         {kA}};
    std::vector<CollocateToken> tokens;
    for (std::uint32_t s = 0; s < sentences.size(); ++s) {
        for (std::uint32_t item : sentences[s]) tokens.push_back({item, s});
    }
    return tokens;
}

std::vector<std::uint32_t> itemsOf(const std::vector<Collocate>& found) {
    std::vector<std::uint32_t> items;
    for (const Collocate& c : found) items.push_back(c.item);
    return items;
}

TEST(Collocates, RanksByLogDiceWithinSentences) {
    const std::vector<CollocateToken> tokens = rankedText();
    const std::vector<Collocate> found = FindCollocates(tokens, kNode, {5, 1});
    // logDice: a 14 + log2(6 / 8), b 14 + log2(2 / 6), c 14 + log2(2 / 9).
    EXPECT_EQ(itemsOf(found), (std::vector<std::uint32_t>{kA, kB, kC}));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].observed, 3);
    EXPECT_EQ(found[0].itemCount, 4);
    EXPECT_NEAR(found[0].measures.logDice, 14 + std::log2(0.75), 1e-12);
    EXPECT_NEAR(found[0].measures.expected, 4.0 * 4 * 10 / 15, 1e-12);
    EXPECT_NEAR(found[2].measures.logDice, 14 + std::log2(2.0 / 9), 1e-12);
}

TEST(Collocates, KeepsTheMinimumCount) {
    EXPECT_EQ(itemsOf(FindCollocates(rankedText(), kNode, {5, 2})), (std::vector<std::uint32_t>{kA}));
    EXPECT_TRUE(FindCollocates(rankedText(), kNode, {5, 4}).empty());
}

TEST(Collocates, LeavesOutSkippedItems) {
    std::vector<bool> skipped(5);
    skipped[kA] = true;
    EXPECT_EQ(itemsOf(FindCollocates(rankedText(), kNode, {5, 1}, skipped)), (std::vector<std::uint32_t>{kB, kC}));
}

TEST(Collocates, TheWindowEndsAtTheSpan) {
    // d stands four words after the node and four before it.
    const std::vector<CollocateToken> tokens = {{kD, 0}, {kA, 0}, {kA, 0}, {kA, 0}, {kNode, 0},
                                                {kB, 0}, {kB, 0}, {kB, 0}, {kD, 0}};
    const struct {
        std::size_t span;
        long long d;
    } cases[] = {{3, 0}, {4, 2}, {10, 2}};
    for (auto c : cases) {
        long long d = 0;
        for (const Collocate& found : FindCollocates(tokens, kNode, {c.span, 1}))
            d += found.item == kD ? found.observed : 0;
        EXPECT_EQ(d, c.d) << c.span;
    }
}

TEST(Collocates, AnotherOccurrenceOfTheNodeCounts) {
    const std::vector<CollocateToken> tokens = {{kNode, 0}, {kNode, 0}, {kA, 0}};
    const std::vector<Collocate> found = FindCollocates(tokens, kNode, {1, 1});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].item, kNode);  // each node beside the other: O = 2, logDice 14 + log2(4 / 4)
    EXPECT_EQ(found[0].observed, 2);
    EXPECT_EQ(found[1].item, kA);
}

TEST(Collocates, NothingForAnAbsentNodeOrNoWindow) {
    EXPECT_TRUE(FindCollocates(rankedText(), kD, {5, 1}).empty());
    EXPECT_TRUE(FindCollocates(rankedText(), kNode, {0, 1}).empty());
    EXPECT_TRUE(FindCollocates({}, kNode, {5, 1}).empty());
}

}  // namespace
