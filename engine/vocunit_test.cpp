#include "engine/vocunit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cp1251.h"
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
    EXPECT_EQ(table.Contains("absent"), 0u);
}

TEST(VocIndex, TextsOfAnyLengthKeepTheirBytesAcrossChunks) {
    // Lengths around the 64 KiB chunk size, and short texts that fill chunks to their ends.
    std::vector<std::string> texts = {"",
                                      "a",
                                      std::string(65535, 'b'),
                                      std::string(65536, 'c'),
                                      "d",
                                      std::string(65537, 'e'),
                                      std::string(200000, 'f')};
    for (int i = 0; texts.size() < 40000; ++i) texts.push_back(std::string(1 + i % 29, 'g') + std::to_string(i));
    texts.push_back(std::string(1023, 'h'));
    TVocIndex table;
    for (std::size_t id = 0; id < texts.size(); ++id)
        ASSERT_EQ(table.Add(texts[id], 1, 0, 0), static_cast<std::int32_t>(id));
    EXPECT_EQ(table.Add("", 1, 0, 0), 0);
    for (std::size_t id = 0; id < texts.size(); ++id) {
        ASSERT_EQ(table.text(static_cast<std::int32_t>(id)), texts[id]) << id;
        ASSERT_EQ(table.Find(texts[id]), static_cast<std::int32_t>(id));
    }
    const TVocIndex copy = table;
    EXPECT_EQ(copy.text(6), texts[6]);
    EXPECT_EQ(copy.Find(texts.back()), table.size() - 1);
}

TEST(VocIndex, TextsWithinTheSourceTextAreNotCopied) {
    const std::string page = "alpha beta";
    TVocIndex table;
    table.ShareSourceText(page);
    EXPECT_EQ(table.Add(std::string_view(page).substr(6, 4), 1, 0, 0), 0);
    EXPECT_EQ(table.Add("gamma", 1, 0, 0), 1);
    EXPECT_EQ(table.Add(std::string_view(page).substr(6), 1, 0, 0), 0);
    EXPECT_EQ(table.text(0).data(), page.data() + 6);
    EXPECT_EQ(table.text(1), "gamma");
    EXPECT_EQ(table.Find("beta"), 0);
    EXPECT_EQ(table.record(0).count, 2);
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
    EXPECT_EQ(table.AddPrefixes(ab, ContextFlag::kOutsideLink), 0);
    EXPECT_EQ(table.AddPrefixes(ba, ContextFlag::kInLink), 1);
    EXPECT_EQ(table.AddPrefixes(ab, ContextFlag::kInLink), 0);
    EXPECT_EQ(table.record(0).count, 2);
    EXPECT_EQ(table.record(0).contextFlags, contextflag::kLinkMask);
    EXPECT_EQ(table.Find(ba), 1);
    const std::int32_t abc[] = {1, 2, 3};
    EXPECT_EQ(table.Find(abc), -1);
    EXPECT_EQ(TVocExprIndex::Hash(ab), (1 * 127 + 2) % 32000);
}

}  // namespace
