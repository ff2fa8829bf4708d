#include "engine/vocexprunit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace {

std::vector<std::int32_t> toVector(std::span<const std::int32_t> ids) { return {ids.begin(), ids.end()}; }

TEST(VocExprIndex, PrefixLinksRebuildTheIdsAtEveryLength) {
    TVocExprIndex table;
    const std::vector<std::int32_t> six = {5, 3, 9, 3, 5, 70000};
    EXPECT_EQ(table.AddPrefixes(six, ContextFlag::kInLink), 4);
    ASSERT_EQ(table.size(), 5);
    for (std::int32_t id = 0; id < table.size(); ++id) {
        const std::size_t length = static_cast<std::size_t>(id) + 2;
        const std::vector<std::int32_t> prefix(six.begin(), six.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(toVector(table.ids(id).span()), prefix);
        EXPECT_EQ(table.ids(id).stemIds[5], length == 6 ? 70000 : 0) << "slots beyond the length are 0";
        EXPECT_EQ(table.record(id).length, length);
        EXPECT_EQ(table.Find(prefix), id);
        EXPECT_EQ(table.firstStem(id), 5);
        EXPECT_TRUE(table.hasPrefix(4, id));
    }
}

TEST(VocExprIndex, ASharedPrefixIsCountedAgainAndLinked) {
    TVocExprIndex table;
    const std::vector<std::int32_t> six = {5, 3, 9, 3, 5, 70000};
    ASSERT_EQ(table.AddPrefixes(six, ContextFlag::kInLink), 4);
    // A sequence sharing the first three ids counts them again and links its new entry to them.
    const std::vector<std::int32_t> other = {5, 3, 9, 1};
    EXPECT_EQ(table.AddPrefixes(other, ContextFlag::kOutsideLink), 5);
    EXPECT_EQ(table.record(5).prefix, 1);
    EXPECT_EQ(toVector(table.ids(5).span()), other);
    EXPECT_EQ(table.record(1).count, 2);
    EXPECT_EQ(table.record(1).contextFlags, ContextFlags(ContextFlag::kInLink) | ContextFlag::kOutsideLink);
    EXPECT_EQ(table.record(2).count, 1);
    EXPECT_TRUE(table.hasPrefix(5, 1));
    EXPECT_FALSE(table.hasPrefix(5, 2));
    EXPECT_FALSE(table.hasPrefix(1, 5));
    const std::int32_t absent[] = {3, 9, 1};
    EXPECT_EQ(table.Find(absent), -1);
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
}

TEST(VocExprIndex, AddsAtMostSixIdsAndNeedsTwo) {
    TVocExprIndex table;
    const std::int32_t one[] = {1};
    EXPECT_EQ(table.AddPrefixes(one, contextflag::kInitial), -1);
    const std::int32_t eight[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(table.AddPrefixes(eight, contextflag::kInitial), 4);
    EXPECT_EQ(table.size(), 5);
    EXPECT_EQ(table.Find(eight), -1);
}

// Checks the table against a map of every sequence added, over windows of a Zipf-like stream
// with many shared prefixes, past several growths of the index.
TEST(VocExprIndex, MatchesAReferenceMapThroughGrowth) {
    std::uint64_t state = 3;
    auto below = [&](std::uint64_t n) {  // xorshift
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state % n;
    };
    std::vector<std::int32_t> stream;
    for (int k = 0; k < 20000; ++k) stream.push_back(static_cast<std::int32_t>(below(1 + below(400))));
    TVocExprIndex table;
    std::map<std::vector<std::int32_t>, std::pair<std::int32_t, std::int32_t>> reference;  // id, count
    for (std::size_t start = 0; start + 6 <= stream.size(); ++start) {
        std::span<const std::int32_t> window(stream.data() + start, 6);
        table.AddPrefixes(window, contextflag::kInitial);
        for (std::size_t n = 2; n <= 6; ++n) {
            auto [it, added] =
                reference.try_emplace(toVector(window.first(n)), static_cast<std::int32_t>(reference.size()), 0);
            it->second.second += 1;
        }
    }
    ASSERT_EQ(static_cast<std::size_t>(table.size()), reference.size());
    for (const auto& [ids, entry] : reference) {
        ASSERT_EQ(table.Find(ids), entry.first);
        ASSERT_EQ(toVector(table.ids(entry.first).span()), ids);
        ASSERT_EQ(table.record(entry.first).count, entry.second);
    }
    EXPECT_FALSE(table.failed());
}

}  // namespace
