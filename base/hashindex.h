// HashIndex: an open-addressing index from 32-bit hashes to dense entry ids (0, 1, 2, ... in
// insertion order), for tables that keep their entries themselves.
//
// Each slot is one 32-bit word: the entry id plus one in the bits below the capacity, and the hash
// bits above them, which the slot's position does not already give. So a probe rejects most
// mismatches without touching the entry, at 4 bytes a slot. Linear probing over a power-of-two
// capacity, load at most three quarters: O(1) expected per lookup. Growing does not copy the old
// slots: it re-places every entry from the hashes the table recomputes, using the old slots as
// scratch space for them, so only the old and the new slot arrays are alive at once. NOT
// thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <vector>

class HashIndex {
  public:
    /// Returns the id of the first entry with this hash for which `equal(id)` holds, or -1.
    template <typename Equal>
    std::int32_t find(std::uint32_t hash, Equal equal) const {
        if (capacity_ == 0) return -1;
        const std::uint32_t tag = hash & ~idMask_;
        for (std::size_t i = hash & positionMask_;; i = (i + 1) & positionMask_) {
            const std::uint32_t s = slots_[i];
            if (s == 0) return -1;
            if ((s & ~idMask_) != tag) continue;
            const auto id = static_cast<std::int32_t>((s & idMask_) - 1);
            if (equal(id)) return id;
        }
    }

    /// Adds an entry with this hash and returns its id, size() before the call. When the index
    /// must grow, it calls `hashOf(id, earlier)` for every id added before, in ascending order, to
    /// learn each entry's hash again: `earlier[j]` for j < id holds what it returned for entry j,
    /// so that a hash may extend an earlier one; it must not throw. Throws std::bad_alloc when
    /// memory runs out or the ids are used up, leaving the index unchanged.
    template <typename HashOf>
    std::int32_t insert(std::uint32_t hash, HashOf hashOf) {
        if (count_ == static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) throw std::bad_alloc();
        if ((count_ + 1) * 4 > capacity_ * 3) grow(hashOf);
        const auto id = static_cast<std::int32_t>(count_);
        place(slots_.data(), hash, static_cast<std::uint32_t>(count_));
        ++count_;
        return id;
    }

    /// Starts loading the slot a lookup of `hash` reads first.
    void prefetch(std::uint32_t hash) const {
        if (capacity_ != 0) __builtin_prefetch(&slots_[hash & positionMask_]);
    }

    /// Returns the number of entries.
    std::size_t size() const { return count_; }

    /// Returns the bytes the slots take.
    std::size_t bytes() const { return capacity_ * sizeof(std::uint32_t); }

  private:
    static constexpr std::size_t kFirstCapacity = 1024;
    static constexpr std::size_t kMaxCapacity = std::size_t{1} << 32;

    void place(std::uint32_t* table, std::uint32_t hash, std::uint32_t id) const {
        std::size_t i = hash & positionMask_;
        while (table[i] != 0) i = (i + 1) & positionMask_;
        table[i] = (hash & ~idMask_) | (id + 1);
    }

    // Doubles the capacity. The new slots are allocated first, so when that fails nothing has
    // changed; the old slots then hold the recomputed hashes by id until they are freed.
    template <typename HashOf>
    void grow(HashOf& hashOf) {
        const std::size_t capacity = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
        if (capacity > kMaxCapacity) throw std::bad_alloc();
        std::vector<std::uint32_t> old(capacity);
        old.swap(slots_);
        capacity_ = capacity;
        positionMask_ = capacity - 1;
        // The ids of the new capacity fill exactly the bits of its positions (id + 1 < capacity).
        idMask_ = static_cast<std::uint32_t>(capacity - 1);
        std::uint32_t* hashes = old.data();  // entry j's hash at index j < count_ < old capacity
        for (std::size_t id = 0; id < count_; ++id) {
            const std::uint32_t h = hashOf(static_cast<std::int32_t>(id), std::span<const std::uint32_t>(hashes, id));
            hashes[id] = h;
            place(slots_.data(), h, static_cast<std::uint32_t>(id));
        }
    }

    std::vector<std::uint32_t> slots_;
    std::size_t capacity_ = 0;
    std::size_t positionMask_ = 0;
    std::uint32_t idMask_ = 0;
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
