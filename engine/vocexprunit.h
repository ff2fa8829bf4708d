// TVocExprIndex: a hashed vocabulary of word combinations, each a sequence of two to six stem
// ids, with an occurrence count and the OR of the context flags of its occurrences.
//
// Ids are insertion indexes from 0 (the order of first occurrence). Every entry belongs to one of
// 32000 buckets by the hash of its ids and is chained at the tail of that bucket; lookups go
// through a HashIndex beside the chains, so Add is O(n) expected however many entries share a
// bucket (a large page has millions of combinations). NOT thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/chunkedarray.h"
#include "engine/hashindex.h"

/// Context flags of a combination occurrence, kept by the scanner while it walks the markup.
namespace contextflag {
inline constexpr std::uint32_t kInLink = 1;
inline constexpr std::uint32_t kOutsideLink = 2;
inline constexpr std::uint32_t kInSelect = 4;
inline constexpr std::uint32_t kOutsideSelect = 8;
inline constexpr std::uint32_t kInitial = kOutsideLink | kOutsideSelect;
}  // namespace contextflag

struct ExprRecord {
    std::int32_t id = 0;
    std::int32_t hashSlot = 0;
    std::array<std::int32_t, 6> stemIds = {};  // slots beyond `length` are 0
    std::int32_t length = 0;
    std::int32_t count = 0;
    std::uint32_t contextFlags = 0;
    std::int32_t next = -1;  // next entry of the same bucket

    std::span<const std::int32_t> ids() const { return {stemIds.data(), static_cast<std::size_t>(length)}; }
};

class TVocExprIndex {
public:
    static constexpr std::int32_t kHashSize = 32000;
    static constexpr std::size_t kMaxLength = 6;

    TVocExprIndex();

    /// Returns the bucket index of a stem-id sequence.
    static std::int32_t Hash(std::span<const std::int32_t> ids);

    /// Adds one occurrence of the sequence (2 to 6 ids) and returns its entry id. Returns 0 and
    /// leaves the table unchanged when memory runs out (then failed() is true).
    std::int32_t Add(std::span<const std::int32_t> ids, std::uint32_t flags);

    /// Adds one occurrence of each prefix of `ids` of length 2 to ids.size() (at most 6), shortest
    /// first: the same as calling Add for each, with the memory reads of all of them overlapped.
    void AddPrefixes(std::span<const std::int32_t> ids, std::uint32_t flags);

    /// Returns a well-mixed 32-bit hash of a stem-id sequence (not the bucket index).
    static std::uint32_t Fingerprint(std::span<const std::int32_t> ids);

    /// Returns the id of the entry with exactly this sequence, or -1.
    std::int32_t Find(std::span<const std::int32_t> ids) const;

    std::int32_t size() const { return static_cast<std::int32_t>(records_.size()); }
    const ExprRecord& record(std::int32_t id) const { return records_[static_cast<std::size_t>(id)]; }
    bool failed() const { return failed_; }

private:
    static std::uint32_t MixFingerprint(std::uint32_t h, std::int32_t id);
    std::int32_t Locate(std::span<const std::int32_t> ids, std::uint32_t fingerprint) const;
    std::int32_t Insert(std::span<const std::int32_t> ids, std::int32_t slot, std::uint32_t fingerprint,
                        std::uint32_t flags);

    ChunkedArray<ExprRecord> records_;
    std::vector<std::int32_t> buckets_;  // first entry of each chain, -1 when empty
    std::vector<std::int32_t> tails_;    // last entry of each chain, -1 when empty
    HashIndex index_;
    bool failed_ = false;
};
