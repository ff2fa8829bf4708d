// TVocIndex: a hashed vocabulary of byte strings (words, stems, stop words), Windows-1251 texts
// compared byte for byte.
//
// Each entry keeps an occurrence count, an accumulated weight, a word code and a link. Ids are
// insertion indexes from 0 and never change; entries are never removed. Lookups go through a
// HashIndex, so Add and Contains are O(length of the text) expected. Entries (32 bytes each) and
// their texts live in fixed chunks, so the table grows without slack and without copying. NOT
// thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/chunkedarray.h"
#include "base/hashindex.h"

/// One vocabulary entry; its id is its index in the table.
struct VocRecord {
    std::uint32_t textOffset = 0;  // where its text starts in the table's text chunks or in its source text
    std::int32_t textLength = 0;
    std::int32_t count = 0;
    std::uint32_t code = 0;     // the first occurrence's code, with the word type re-derived by the case rule
    std::int32_t link = 0;      // word table: the stem id; other tables: 0
    std::uint32_t caseSum = 0;  // sum of the word type bytes of all occurrences (held at 2^32 - 1 at most)
    double weight = 0;          // sum of the weights of all occurrences
};
static_assert(sizeof(VocRecord) == 32);

class TVocIndex {
  public:
    /// Adds one occurrence of `text` and returns its entry id. Returns 0 and leaves the table
    /// unchanged when memory runs out (then failed() is true).
    std::int32_t Add(std::string_view text, double weight, std::int32_t link, std::uint32_t code);

    /// Adds one occurrence to entry `id` (0 <= id < size()), as Add does for a text it finds.
    void AddTo(std::int32_t id, double weight, std::uint32_t code);

    /// Returns the ignored bit when an entry with exactly this text exists, else 0.
    std::uint32_t Contains(std::string_view text) const;

    /// Returns the id of the entry with exactly this text, or -1.
    std::int32_t Find(std::string_view text) const;

    std::int32_t size() const { return static_cast<std::int32_t>(records_.size()); }
    const VocRecord& record(std::int32_t id) const { return records_[static_cast<std::size_t>(id)]; }
    std::string_view text(std::int32_t id) const {
        const VocRecord& r = record(id);
        const auto length = static_cast<std::size_t>(r.textLength);
        const char* chunk = pool_[r.textOffset >> kPoolChunkBits].data();
        return std::string_view(chunk + (r.textOffset & (kPoolChunkSize - 1)), length);
    }
    bool failed() const { return failed_; }

  private:
    // Texts are stored back to back in chunks of 64 KiB and never straddle two; a text longer than
    // a chunk gets a chunk of its own, which takes the places of as many chunks.
    static constexpr std::uint32_t kPoolChunkBits = 16;
    static constexpr std::uint32_t kPoolChunkSize = std::uint32_t{1} << kPoolChunkBits;
    static constexpr std::uint64_t kMaxPoolBytes = std::uint64_t{1} << 31;  // the texts' chunks in all

    static std::uint32_t TextHash(std::string_view text);
    std::int32_t Locate(std::string_view text, std::uint32_t hash) const;
    std::int32_t Insert(std::string_view text, double weight, std::int32_t link, std::uint32_t code,
                        std::uint32_t hash);
    std::uint32_t StoreText(std::string_view text);

    ChunkedArray<VocRecord> records_;
    std::vector<std::string> pool_;  // text chunks; empty where a long text's chunk extends
    std::uint32_t poolEnd_ = 0;      // the offset of the next text
    HashIndex index_;
    bool failed_ = false;
};
