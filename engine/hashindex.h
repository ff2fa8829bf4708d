// HashIndex: an open-addressing index from 32-bit hashes to entry ids.
//
// The vocabularies keep their fixed 32000-bucket chains, whose buckets and order are part of
// their contract; this index beside them finds an entry in O(1) expected time however long the
// chains grow (a page of a few hundred thousand distinct words puts dozens of entries in every
// chain). Linear probing, load at most one half, each slot holding the full hash so that most
// mismatches are rejected without touching the entry. NOT thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class HashIndex {
public:
    /// Returns the id of the first entry with this hash for which `equal(id)` holds, or -1.
    template <typename Equal>
    std::int32_t find(std::uint32_t hash, Equal equal) const {
        if (slots_.empty()) return -1;
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.id == -1) return -1;
            if (s.hash == hash && equal(s.id)) return s.id;
        }
    }

    /// Adds an entry; grows the index when it is half full. Throws std::bad_alloc when memory runs out.
    void insert(std::uint32_t hash, std::int32_t id) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        place(hash, id);
        ++count_;
    }

    /// Starts loading the slot a lookup of `hash` reads first.
    void prefetch(std::uint32_t hash) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & mask_]);
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::int32_t id = -1;
    };

    void place(std::uint32_t hash, std::int32_t id) {
        std::size_t i = hash & mask_;
        while (slots_[i].id != -1) i = (i + 1) & mask_;
        slots_[i] = {hash, id};
    }

    // Doubles the slots; when the allocation fails nothing has changed.
    void grow() {
        std::vector<Slot> old(slots_.empty() ? 1024 : slots_.size() * 2);
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& s : old) {
            if (s.id != -1) place(s.hash, s.id);
        }
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

/// Mixes the bits of a 32-bit hash so that its low bits depend on all of them.
constexpr std::uint32_t FinishHash(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}
