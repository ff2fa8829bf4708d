// TTxtIdxIndex: an append-only stream of four-integer token records describing a document in
// reading order (the phrase stream and the markup stream of one analysis). Push is O(1); the
// records live in fixed chunks, so a stream of millions of records grows without copying.
// NOT thread-safe.
#pragma once

#include <cstdint>

#include "engine/chunkedarray.h"

/// One token. A word record has length > 0 (first = stem id, start = offset in the page text,
/// kind = word code); a tag or run-start record has kind 10 (first = tag marker, start = tag
/// hash or 0); a break record has kind 11 (first = the delimiter byte as a signed value).
struct TokenRecord {
    std::int32_t first = 0;
    std::int32_t start = 0;
    std::int32_t length = 0;
    std::int32_t kind = 0;

    bool isWord() const { return length > 0; }
};

namespace token {
inline constexpr std::int32_t kTagKind = 10;
inline constexpr std::int32_t kBreakKind = 11;
inline constexpr std::int32_t kBlockTag = -1;   // marker of every tag that is not inline formatting
inline constexpr std::int32_t kInlineTag = -2;  // marker of <a>, <b>, <i>, <u>, <font>, <nobr> and their closings
}  // namespace token

class TTxtIdxIndex {
public:
    TTxtIdxIndex();

    /// Appends one record; drops it (and sets failed()) when memory runs out.
    void Push(std::int32_t first, std::int32_t start, std::int32_t length, std::int32_t kind);

    std::int32_t size() const { return static_cast<std::int32_t>(items_.size()); }
    const TokenRecord& operator[](std::int32_t i) const { return items_[static_cast<std::size_t>(i)]; }
    bool failed() const { return failed_; }

private:
    ChunkedArray<TokenRecord> items_;
    bool failed_ = false;
};
