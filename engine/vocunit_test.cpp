#include "engine/vocunit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
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

TEST(VocIndex, EveryShortTextIsAnEntryOfItsOwn) {
    // All texts of up to two bytes, the empty one and the Cyrillic bytes 0x80-0xFF included: many
    // of them share the low bits of their hashes, so lookups must tell them apart by their bytes.
    std::vector<std::string> texts = {""};
    for (int a = 0; a < 256; ++a) {
        texts.push_back(std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b) texts.push_back({static_cast<char>(a), static_cast<char>(b)});
    }
    TVocIndex table;
    for (std::size_t id = 0; id < texts.size(); ++id)
        ASSERT_EQ(table.Add(texts[id], 1, 0, 0), static_cast<std::int32_t>(id));
    for (std::size_t id = 0; id < texts.size(); ++id) {
        ASSERT_EQ(table.Add(texts[id], 1, 0, 0), static_cast<std::int32_t>(id));
        ASSERT_EQ(table.record(static_cast<std::int32_t>(id)).count, 2);
    }
    EXPECT_EQ(table.size(), static_cast<std::int32_t>(texts.size()));
    EXPECT_EQ(table.Find("abc"), -1);
    EXPECT_EQ(table.Contains("abc"), 0u);
    EXPECT_EQ(TVocIndex().Contains(""), 0u) << "an empty table holds nothing";
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

TEST(VocIndex, GrowthKeepsIdsAndTexts) {
    TVocIndex table;
    for (int i = 0; i < 25000; ++i) ASSERT_EQ(table.Add("w" + std::to_string(i), 1, 0, 0), i);
    EXPECT_EQ(table.size(), 25000);
    EXPECT_EQ(table.Find("w10000"), 10000);
    EXPECT_EQ(table.text(24999), "w24999");
    EXPECT_FALSE(table.failed());
}

}  // namespace
