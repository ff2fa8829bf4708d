// TTxtIdxIndex: an append-only stream of 12-byte token records describing a document in reading
// order (the phrase stream and the markup stream of one analysis). Push is O(1); the records live
// in fixed chunks, so a stream of millions of records grows without copying. A stream may share
// the records it has in common with another (the phrase stream's words are the markup stream's),
// holding a 4-byte reference for each. NOT thread-safe.
#pragma once

#include <cstdint>

#include "base/chunkedarray.h"

/// One token. A word record has length > 0 (first = stem id, start = offset in the page text,
/// kind = the word type and script class of its word code, without the ignored bit); a tag or
/// run-start record has kind 10 (first = tag marker, start = tag hash or 0); a break record has
/// kind 11 (first = the delimiter byte as a signed value). `length` and `kind` read as int.
struct TokenRecord {
    std::int32_t first = 0;
    std::int32_t start = 0;
    std::uint32_t length : 16 = 0;  // at most token::kMaxLength
    std::uint32_t kind : 16 = 0;

    bool isWord() const { return length > 0; }
};
static_assert(sizeof(TokenRecord) == 12);

namespace token {
inline constexpr std::int32_t kTagKind = 10;
inline constexpr std::int32_t kBreakKind = 11;
inline constexpr std::int32_t kBlockTag = -1;  // marker of every tag that is not inline formatting
// marker of the tags inside a line of text: <a>, <b>, <i>, <u>, <font>, <nobr>, <strong>, <em>, the
// elements of taghash::IsPlainInline, and their closings
inline constexpr std::int32_t kInlineTag = -2;
inline constexpr std::int32_t kMaxLength = 0xFFFF;  // the longest length a record holds (words are cut to 1023)
inline constexpr std::uint32_t kKindMask = 0xFFFF;  // the bits of a word code a record keeps as its kind
}  // namespace token

class TTxtIdxIndex {
  public:
    TTxtIdxIndex();

    /// Appends one record, with `length` limited to 0..token::kMaxLength and `kind` to the bits of
    /// token::kKindMask; drops it (and sets failed()) when memory runs out.
    void Push(std::int32_t first, std::int32_t start, std::int32_t length, std::int32_t kind);

    /// Appends record `index` of `source` (0 <= index < source.size()) without copying it, in 4
    /// bytes: the record is then read from `source`, which must outlive this stream and stay where
    /// it is. A stream shares the records of one source; those of any other it copies. Drops the
    /// record (and sets failed()) when memory runs out.
    void PushFrom(const TTxtIdxIndex& source, std::int32_t index);

    std::int32_t size() const { return static_cast<std::int32_t>(source_ == nullptr ? items_.size() : refs_.size()); }
    const TokenRecord& operator[](std::int32_t i) const {
        if (source_ == nullptr) return items_[static_cast<std::size_t>(i)];
        const std::uint32_t ref = refs_[static_cast<std::size_t>(i)];
        if ((ref & kOwnRecord) != 0) return items_[ref & ~kOwnRecord];
        return (*source_)[static_cast<std::int32_t>(ref)];
    }
    bool failed() const { return failed_; }

  private:
    static constexpr std::uint32_t kOwnRecord = 1u << 31;

    bool startSharing(const TTxtIdxIndex& source);

    ChunkedArray<TokenRecord> items_;  // the records of the stream, or once it shares, its own ones
    ChunkedArray<std::uint32_t>
        refs_;  // once it shares: each record's index in source_, or kOwnRecord | index in items_
    const TTxtIdxIndex* source_ = nullptr;
    bool failed_ = false;
};
