// TVocIndex: a hashed vocabulary of byte strings (words, stems, stop words).
//
// Each entry keeps an occurrence count, an accumulated weight, a word code and a link. Ids are
// insertion indexes from 0 and never change; entries are never removed. Every entry belongs to
// one of 32000 buckets by its text hash and is chained at the tail of that bucket; lookups go
// through a HashIndex beside the chains, so Add and Contains are O(length of the text) expected
// however many entries share a bucket. All entry texts live back to back in one growing pool.
// NOT thread-safe.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/hashindex.h"

struct VocRecord {
    std::int32_t id = 0;
    std::int32_t hashSlot = 0;
    std::int32_t textOffset = 0;
    std::int32_t textLength = 0;
    std::int32_t count = 0;
    std::uint32_t code = 0;  // the first occurrence's code, with the word type re-derived by the case rule
    std::int32_t link = 0;   // word table: the stem id; other tables: 0
    double caseSum = 0;      // sum of the word type bytes of all occurrences
    std::int32_t next = -1;  // next entry of the same hash chain
    double weight = 0;       // sum of the weights of all occurrences
};

class TVocIndex {
public:
    static constexpr std::int32_t kHashSize = 32000;

    TVocIndex();

    /// Returns the bucket index of a text.
    static std::int32_t Hash(std::string_view text);

    /// Adds one occurrence of `text` and returns its entry id. Returns 0 and leaves the table
    /// unchanged when memory runs out (then failed() is true).
    std::int32_t Add(std::string_view text, double weight, std::int32_t link, std::uint32_t code);

    /// Returns the ignored bit when an entry with exactly this text exists, else 0.
    std::uint32_t Contains(std::string_view text) const;

    /// Returns the id of the entry with exactly this text, or -1.
    std::int32_t Find(std::string_view text) const;

    std::int32_t size() const { return static_cast<std::int32_t>(records_.size()); }
    const VocRecord& record(std::int32_t id) const { return records_[id]; }
    std::string_view text(std::int32_t id) const {
        const VocRecord& r = records_[id];
        return std::string_view(pool_.data() + r.textOffset, r.textLength);
    }
    bool failed() const { return failed_; }

private:
    static std::uint32_t TextHash(std::string_view text);
    std::int32_t Locate(std::string_view text, std::uint32_t hash) const;
    std::int32_t Insert(std::string_view text, double weight, std::int32_t link, std::uint32_t code,
                        std::int32_t count, std::int32_t slot, std::uint32_t hash);

    std::vector<char> pool_;  // texts, each followed by a NUL
    std::vector<VocRecord> records_;
    std::vector<std::int32_t> buckets_;  // first entry of each chain, -1 when empty
    std::vector<std::int32_t> tails_;    // last entry of each chain, -1 when empty
    HashIndex index_;
    bool failed_ = false;
};
