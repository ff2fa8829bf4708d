// TVocExprIndex: a hashed vocabulary of word combinations, each a sequence of two to six stem
// ids, with an occurrence count and the OR of the context flags of its occurrences.
//
// Ids are insertion indexes from 0 (the order of first occurrence). Combinations enter only
// together with all their shorter prefixes, shortest first, so every entry of three or more ids
// is stored as the id of its prefix entry plus its last stem id: 16 bytes an entry, whatever its
// length; its ids are rebuilt by following at most five prefix links. Lookups go through a
// HashIndex, so adding the prefixes of a sequence is O(1) expected. NOT thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "base/chunkedarray.h"
#include "base/flagset.h"
#include "base/hashindex.h"

/// Where in the markup a combination occurrence stood, as the scanner keeps it while it walks the
/// markup. Of each pair exactly one flag holds at any point of the scan; an entry keeps the OR of
/// the flags of all its occurrences, so it holds both flags of a pair when it occurred on both sides.
enum class ContextFlag : std::uint8_t {
    kInLink = 1,  // after <a>, before </a>
    kOutsideLink = 2,
    kInSelect = 4,  // after <select>, before </select>
    kOutsideSelect = 8,
};
using ContextFlags = FlagSet<ContextFlag>;

namespace contextflag {
/// The pair of flags that tells whether an occurrence stood inside a link.
inline constexpr ContextFlags kLinkMask = ContextFlags(ContextFlag::kInLink) | ContextFlag::kOutsideLink;
/// The pair of flags that tells whether an occurrence stood inside a selection list.
inline constexpr ContextFlags kSelectMask = ContextFlags(ContextFlag::kInSelect) | ContextFlag::kOutsideSelect;
/// The flags at the start of a scan: outside both.
inline constexpr ContextFlags kInitial = ContextFlags(ContextFlag::kOutsideLink) | ContextFlag::kOutsideSelect;

/// Returns whether every occurrence with these flags stood inside a link.
constexpr bool onlyInLinks(ContextFlags flags) { return (flags & kLinkMask) == ContextFlag::kInLink; }
/// Returns whether every occurrence with these flags stood inside a selection list.
constexpr bool onlyInSelects(ContextFlags flags) { return (flags & kSelectMask) == ContextFlag::kInSelect; }
}  // namespace contextflag

/// One combination entry; its id is its index in the table.
struct ExprRecord {
    std::int32_t prefix = 0;  // length 2: the first stem id; longer: the id of the entry of all ids but the last
    std::int32_t last = 0;    // the last stem id
    std::int32_t count = 0;
    std::uint8_t length = 0;    // 2 to 6
    ContextFlags contextFlags;  // the OR of the flags of its occurrences
};

/// The stem ids of one combination, held by value.
struct ExprIds {
    std::array<std::int32_t, 6> stemIds = {};  // slots beyond `length` are 0
    std::int32_t length = 0;

    std::span<const std::int32_t> span() const { return {stemIds.data(), static_cast<std::size_t>(length)}; }
    std::int32_t operator[](std::int32_t k) const { return stemIds[static_cast<std::size_t>(k)]; }
};

class TVocExprIndex {
  public:
    static constexpr std::size_t kMaxLength = 6;

    /// Adds one occurrence of each prefix of `ids` of length 2 to min(ids.size(), 6), shortest
    /// first, and returns the id of the longest. Returns -1 for fewer than two ids, and -1 with
    /// failed() true when memory runs out; the prefixes entered until then stay counted.
    std::int32_t AddPrefixes(std::span<const std::int32_t> ids, ContextFlags flags);

    /// Returns a well-mixed 32-bit hash of a sequence of two or more stem ids (not the bucket
    /// index); for longer ones it extends the hash of the sequence without its last id.
    static std::uint32_t Fingerprint(std::span<const std::int32_t> ids);

    /// Returns the Fingerprint of a sequence extended by one id, from the Fingerprint of the sequence.
    static std::uint32_t ExtendFingerprint(std::uint32_t fingerprint, std::int32_t last);

    /// Returns the id of the entry with exactly this sequence, or -1.
    std::int32_t Find(std::span<const std::int32_t> ids) const;

    /// Returns the stem ids of entry `id` (0 <= id < size()).
    ExprIds ids(std::int32_t id) const;

    /// Returns the first stem id of entry `id` (0 <= id < size()).
    std::int32_t firstStem(std::int32_t id) const;

    /// Returns whether entry `ancestor` is a prefix of entry `id` (or `id` itself).
    bool hasPrefix(std::int32_t id, std::int32_t ancestor) const;

    std::int32_t size() const { return static_cast<std::int32_t>(records_.size()); }
    const ExprRecord& record(std::int32_t id) const { return records_[static_cast<std::size_t>(id)]; }
    bool failed() const { return failed_; }

  private:
    static std::uint32_t Mix(std::uint32_t h, std::int32_t id);
    static std::uint32_t PairFingerprint(std::int32_t first, std::int32_t second);
    std::int32_t Locate(std::uint32_t fingerprint, std::int32_t prefix, std::int32_t last, std::size_t length) const;
    std::int32_t Insert(std::uint32_t fingerprint, std::int32_t prefix, std::int32_t last, std::size_t length,
                        ContextFlags flags);

    ChunkedArray<ExprRecord> records_;
    HashIndex index_;
    bool failed_ = false;
};
