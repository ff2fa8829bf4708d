#include "engine/vocexprunit.h"

#include <algorithm>
#include <array>
#include <new>

TVocExprIndex::TVocExprIndex() {
    try {
        records_.reserve(10000);
        buckets_.resize(kHashSize);
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}

std::int32_t TVocExprIndex::Hash(std::span<const std::int32_t> ids) {
    std::uint32_t h = 0;
    for (std::int32_t id : ids) h = (h * 127u + static_cast<std::uint32_t>(id)) % kHashSize;
    return static_cast<std::int32_t>(h);
}

std::uint32_t TVocExprIndex::MixFingerprint(std::uint32_t h, std::int32_t id) {
    h ^= static_cast<std::uint32_t>(id);
    h *= 0x9E3779B1u;
    return h ^ (h >> 15);
}

std::uint32_t TVocExprIndex::Fingerprint(std::span<const std::int32_t> ids) {
    std::uint32_t h = 0;
    for (std::int32_t id : ids) h = MixFingerprint(h, id);
    return h;
}

// Returns the id of the entry of chain `slot` with exactly these ids, or -1.
std::int32_t TVocExprIndex::Locate(std::span<const std::int32_t> ids, std::int32_t slot,
                                   std::uint32_t fingerprint) const {
    for (const Link& link : buckets_[slot]) {
        if (link.fingerprint == fingerprint && std::ranges::equal(records_[link.id].ids(), ids)) return link.id;
    }
    return -1;
}

std::int32_t TVocExprIndex::Find(std::span<const std::int32_t> ids) const {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return -1;
    return Locate(ids, Hash(ids), Fingerprint(ids));
}

std::int32_t TVocExprIndex::Add(std::span<const std::int32_t> ids, std::uint32_t flags) {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return 0;
    const std::int32_t slot = Hash(ids);
    const std::uint32_t fingerprint = Fingerprint(ids);
    const std::int32_t i = Locate(ids, slot, fingerprint);
    if (i == -1) return Insert(ids, slot, fingerprint, flags);
    records_[i].count += 1;
    records_[i].contextFlags |= flags;
    return i;
}

void TVocExprIndex::AddPrefixes(std::span<const std::int32_t> ids, std::uint32_t flags) {
    const std::size_t n = std::min(ids.size(), kMaxLength);
    if (buckets_.empty() || n < 2) return;
    // The hash and the fingerprint of each prefix extend those of the prefix before it.
    std::array<std::int32_t, kMaxLength> slots{};
    std::array<std::uint32_t, kMaxLength> fingerprints{};
    std::uint32_t h = 0;
    std::uint32_t f = 0;
    for (std::size_t k = 0; k < n; ++k) {
        h = (h * 127u + static_cast<std::uint32_t>(ids[k])) % kHashSize;
        f = MixFingerprint(f, ids[k]);
        slots[k] = static_cast<std::int32_t>(h);
        fingerprints[k] = f;
        __builtin_prefetch(&buckets_[h]);
    }
    for (std::size_t k = 1; k < n; ++k) __builtin_prefetch(buckets_[slots[k]].data());
    std::array<std::int32_t, kMaxLength> found{};
    for (std::size_t k = 1; k < n; ++k) {
        found[k] = Locate(ids.first(k + 1), slots[k], fingerprints[k]);
        if (found[k] != -1) __builtin_prefetch(&records_[found[k]]);
    }
    for (std::size_t k = 1; k < n; ++k) {
        if (found[k] == -1) {
            Insert(ids.first(k + 1), slots[k], fingerprints[k], flags);
            continue;
        }
        records_[found[k]].count += 1;
        records_[found[k]].contextFlags |= flags;
    }
}

std::int32_t TVocExprIndex::Insert(std::span<const std::int32_t> ids, std::int32_t slot, std::uint32_t fingerprint,
                                   std::uint32_t flags) {
    auto id = static_cast<std::int32_t>(records_.size());
    std::vector<Link>& chain = buckets_[slot];
    try {
        if (chain.empty()) chain.reserve(4);  // most chains of a large page hold several entries
        chain.push_back({id, fingerprint});
        records_.emplace_back();
    } catch (const std::bad_alloc&) {
        if (!chain.empty() && chain.back().id == id) chain.pop_back();
        failed_ = true;
        return 0;
    }
    ExprRecord& r = records_[id];
    r.id = id;
    r.hashSlot = slot;
    std::ranges::copy(ids, r.stemIds.begin());
    r.length = static_cast<std::int32_t>(ids.size());
    r.count = 1;
    r.contextFlags = flags;
    return id;
}
