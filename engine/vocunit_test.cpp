#include "engine/vocunit.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/cp1251.h"
#include "engine/txtidxunit.h"
#include "engine/vocexprunit.h"
#include "engine/wordcode.h"

namespace {

TEST(VocIndex, CountsRepeatedTextUnderOneId) {
    TVocIndex table;
    EXPECT_EQ(table.Add(u8"слово"_cp, 1.5, 0, 0), 0);
    EXPECT_EQ(table.Add("other", 1, 0, 0), 1);
    EXPECT_EQ(table.Add(u8"слово"_cp, 2.0, 7, 1), 0);
    const VocRecord& r = table.record(0);
    EXPECT_EQ(r.count, 2);
    EXPECT_DOUBLE_EQ(r.weight, 3.5);
    EXPECT_EQ(r.link, 0) << "link keeps the first occurrence's value";
    EXPECT_EQ(table.text(0), u8"слово"_cp);
}

TEST(VocIndex, KeysAreCaseSensitiveBytes) {
    TVocIndex table;
    EXPECT_NE(table.Add(u8"Слово"_cp, 1, 0, 1), table.Add(u8"слово"_cp, 1, 0, 0));
    EXPECT_EQ(table.Contains(u8"Слово"_cp), wordcode::kIgnoredBit);
    EXPECT_EQ(table.Contains(u8"СЛОВО"_cp), 0u);
}

TEST(VocIndex, CaseRuleFollowsMostOccurrences) {
    TVocIndex table;
    table.Add("a", 1, 0, 1);
    table.Add("a", 1, 0, 0);
    table.Add("a", 1, 0, 0);
    EXPECT_DOUBLE_EQ(table.record(0).caseSum, 1);
    EXPECT_EQ(wordcode::wordType(table.record(0).code), 0u);

    table.Add("b", 1, 0, 2);
    table.Add("b", 1, 0, 2);
    table.Add("b", 1, 0, 1);
    EXPECT_EQ(wordcode::wordType(table.record(1).code), 2u);
}

TEST(VocIndex, NonCaseTypesAddToCaseSumButKeepTheirType) {
    TVocIndex table;
    table.Add("123", 1, 0, 0x203);
    table.Add("123", 1, 0, 0x203);
    EXPECT_DOUBLE_EQ(table.record(0).caseSum, 6);
    EXPECT_EQ(table.record(0).code, 0x203u);
    table.Add("x", 1, 0, 0);
    table.Add("x", 1, 0, 0x405 | wordcode::kIgnoredBit);
    EXPECT_EQ(table.record(1).code, 0u) << "the other bits stay those of the first occurrence";
}

TEST(VocIndex, HashMatchesTheSignedByteFormula) {
    EXPECT_EQ(TVocIndex::Hash(""), 0);
    EXPECT_EQ(TVocIndex::Hash("a"), 97);
    EXPECT_EQ(TVocIndex::Hash("ab"), (97 * 127 + 98) % 32000);
    // 0xE0 counts as -32: the sum wraps to 2^32 - 32 before the reduction.
    EXPECT_EQ(TVocIndex::Hash(u8"а"_cp), static_cast<std::int32_t>(4294967264u % 32000u));
}

TEST(VocIndex, CollidingTextsStayApart) {
    // Find two texts in one bucket and check they stay separate entries.
    std::string first = "aa";
    std::string second;
    for (int i = 0; i < 65536 && second.empty(); ++i) {
        std::string candidate = {static_cast<char>(i >> 8), static_cast<char>(i & 0xFF)};
        if (candidate != first && TVocIndex::Hash(candidate) == TVocIndex::Hash(first)) second = candidate;
    }
    ASSERT_FALSE(second.empty());
    TVocIndex table;
    EXPECT_EQ(table.Add(first, 1, 0, 0), 0);
    EXPECT_EQ(table.Add(second, 1, 0, 0), 1);
    EXPECT_EQ(table.Add(second, 1, 0, 0), 1);
    EXPECT_EQ(table.Find(first), 0);
    EXPECT_EQ(table.record(0).next, 1) << "new entries go to the tail of the chain";
    EXPECT_EQ(table.Contains("absent"), 0u);
}

TEST(VocIndex, GrowthKeepsIdsAndTexts) {
    TVocIndex table;
    for (int i = 0; i < 25000; ++i) ASSERT_EQ(table.Add("w" + std::to_string(i), 1, 0, 0), i);
    EXPECT_EQ(table.size(), 25000);
    EXPECT_EQ(table.Find("w10000"), 10000);
    EXPECT_EQ(table.text(24999), "w24999");
    EXPECT_FALSE(table.failed());
}

TEST(VocExprIndex, OrderMattersAndCountsAccumulate) {
    TVocExprIndex table;
    const std::int32_t ab[] = {1, 2};
    const std::int32_t ba[] = {2, 1};
    EXPECT_EQ(table.Add(ab, 2), 0);
    EXPECT_EQ(table.Add(ba, 1), 1);
    EXPECT_EQ(table.Add(ab, 1), 0);
    EXPECT_EQ(table.record(0).count, 2);
    EXPECT_EQ(table.record(0).contextFlags, 3u);
    EXPECT_EQ(table.Find(ba), 1);
    const std::int32_t abc[] = {1, 2, 3};
    EXPECT_EQ(table.Find(abc), -1);
    EXPECT_EQ(TVocExprIndex::Hash(ab), (1 * 127 + 2) % 32000);
}

TEST(TxtIdxIndex, GrowsPastItsFirstCapacity) {
    TTxtIdxIndex stream;
    for (int i = 0; i < 20001; ++i) stream.Push(i, i, 0, 10);
    EXPECT_EQ(stream.size(), 20001);
    EXPECT_EQ(stream[20000].first, 20000);
    EXPECT_FALSE(stream[5].isWord());
}

}  // namespace
