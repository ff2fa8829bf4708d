#include "engine/vocexprunit.h"

#include <algorithm>
#include <array>
#include <new>

TVocExprIndex::TVocExprIndex() {
    try {
        buckets_.assign(kHashSize, -1);
        tails_.assign(kHashSize, -1);
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
    return FinishHash(h);
}

std::int32_t TVocExprIndex::Locate(std::span<const std::int32_t> ids, std::uint32_t fingerprint) const {
    return index_.find(fingerprint, [&](std::int32_t id) { return std::ranges::equal(records_[id].ids(), ids); });
}

std::int32_t TVocExprIndex::Find(std::span<const std::int32_t> ids) const {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return -1;
    return Locate(ids, Fingerprint(ids));
}

std::int32_t TVocExprIndex::Add(std::span<const std::int32_t> ids, std::uint32_t flags) {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return 0;
    const std::uint32_t fingerprint = Fingerprint(ids);
    const std::int32_t i = Locate(ids, fingerprint);
    if (i == -1) return Insert(ids, Hash(ids), fingerprint, flags);
    records_[i].count += 1;
    records_[i].contextFlags |= flags;
    return i;
}

void TVocExprIndex::AddPrefixes(std::span<const std::int32_t> ids, std::uint32_t flags) {
    const std::size_t n = std::min(ids.size(), kMaxLength);
    if (buckets_.empty() || n < 2) return;
    // The bucket and the fingerprint of each prefix extend those of the prefix before it.
    std::array<std::int32_t, kMaxLength> slots{};
    std::array<std::uint32_t, kMaxLength> fingerprints{};
    std::uint32_t h = 0;
    std::uint32_t f = 0;
    for (std::size_t k = 0; k < n; ++k) {
        h = (h * 127u + static_cast<std::uint32_t>(ids[k])) % kHashSize;
        f = MixFingerprint(f, ids[k]);
        slots[k] = static_cast<std::int32_t>(h);
        fingerprints[k] = FinishHash(f);
        index_.prefetch(fingerprints[k]);
    }
    std::array<std::int32_t, kMaxLength> found{};
    for (std::size_t k = 1; k < n; ++k) {
        found[k] = Locate(ids.first(k + 1), fingerprints[k]);
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
    try {
        records_.emplace_back();
        index_.insert(fingerprint, id);
    } catch (const std::bad_alloc&) {
        if (records_.size() > static_cast<std::size_t>(id)) records_.pop_back();
        failed_ = true;
        return 0;
    }
    ExprRecord& r = records_[static_cast<std::size_t>(id)];
    r.id = id;
    r.hashSlot = slot;
    std::ranges::copy(ids, r.stemIds.begin());
    r.length = static_cast<std::int32_t>(ids.size());
    r.count = 1;
    r.contextFlags = flags;
    r.next = -1;
    if (tails_[slot] != -1) records_[tails_[slot]].next = id;
    if (buckets_[slot] == -1) buckets_[slot] = id;
    tails_[slot] = id;
    return id;
}
