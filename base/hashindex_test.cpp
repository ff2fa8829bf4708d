#include "base/hashindex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

namespace {

// Inserts every hash of `hashes` in order, recomputing hashes from the same vector on growth.
HashIndex build(const std::vector<std::uint32_t>& hashes) {
    HashIndex index;
    for (std::uint32_t h : hashes) {
        index.insert(
            h, [&](std::int32_t id, std::span<const std::uint32_t>) { return hashes[static_cast<std::size_t>(id)]; });
    }
    return index;
}

// Finds entry `id` by its hash and counts how many entries the lookup had to compare.
std::int32_t findCounting(const HashIndex& index, std::uint32_t hash, std::int32_t id, int& compared) {
    return index.find(hash, [&](std::int32_t candidate) {
        ++compared;
        return candidate == id;
    });
}

TEST(HashIndex, EveryIdStaysFindableThroughGrowthAndFullLoad) {
    // Many equal hashes and hashes equal in their low bits crowd the same positions.
    std::vector<std::uint32_t> hashes;
    for (std::uint32_t i = 0; i < 100000; ++i) {
        hashes.push_back(i % 3 == 0 ? FinishHash(i) : i % 3 == 1 ? i << 12 : FinishHash(i % 1000));
    }
    const HashIndex index = build(hashes);
    EXPECT_EQ(index.size(), hashes.size());
    EXPECT_LE(index.size() * 4, index.bytes() * 3 / 4) << "load at most three quarters";
    EXPECT_GE(index.size() * 8, index.bytes() * 3 / 4) << "load at least three eighths";
    for (std::size_t id = 0; id < hashes.size(); ++id) {
        int compared = 0;
        ASSERT_EQ(findCounting(index, hashes[id], static_cast<std::int32_t>(id), compared),
                  static_cast<std::int32_t>(id));
    }
    EXPECT_EQ(index.find(FinishHash(1), [](std::int32_t) { return false; }), -1);
    EXPECT_EQ(HashIndex().find(0, [](std::int32_t) { return true; }), -1);
}

TEST(HashIndex, HashBitsInTheSlotSpareComparisons) {
    // Hashes equal in their position bits but different above them are told apart by the slot.
    std::vector<std::uint32_t> hashes;
    for (std::uint32_t i = 1; i <= 700; ++i) hashes.push_back(i << 20 | 5);
    const HashIndex index = build(hashes);
    for (std::size_t id = 0; id < hashes.size(); ++id) {
        int compared = 0;
        EXPECT_EQ(findCounting(index, hashes[id], static_cast<std::int32_t>(id), compared),
                  static_cast<std::int32_t>(id));
        EXPECT_EQ(compared, 1) << "only the entry itself is compared";
    }
}

TEST(HashIndex, GrowthHandsBackEarlierHashes) {
    // Each hash extends the one before it, as a combination's extends its prefix's.
    auto extend = [](std::uint32_t h) { return FinishHash(h + 1); };
    std::vector<std::uint32_t> hashes = {7};
    while (hashes.size() < 5000) hashes.push_back(extend(hashes.back()));
    HashIndex index;
    for (std::uint32_t h : hashes) {
        index.insert(h, [&](std::int32_t id, std::span<const std::uint32_t> earlier) {
            EXPECT_EQ(earlier.size(), static_cast<std::size_t>(id));
            return id == 0 ? hashes[0] : extend(earlier[static_cast<std::size_t>(id) - 1]);
        });
    }
    for (std::size_t id = 0; id < hashes.size(); ++id) {
        EXPECT_EQ(index.find(hashes[id], [&](std::int32_t c) { return c == static_cast<std::int32_t>(id); }),
                  static_cast<std::int32_t>(id));
    }
}

}  // namespace
