#include "engine/vocexprunit.h"

#include <algorithm>
#include <new>

TVocExprIndex::TVocExprIndex() {
    try {
        records_.reserve(10000);
        links_.reserve(10000);
        buckets_.assign(kHashSize, -1);
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}

std::int32_t TVocExprIndex::Hash(std::span<const std::int32_t> ids) {
    std::uint32_t h = 0;
    for (std::int32_t id : ids) h = (h * 127u + static_cast<std::uint32_t>(id)) % kHashSize;
    return static_cast<std::int32_t>(h);
}

std::uint32_t TVocExprIndex::Fingerprint(std::span<const std::int32_t> ids) {
    std::uint32_t h = static_cast<std::uint32_t>(ids.size());
    for (std::int32_t id : ids) {
        h ^= static_cast<std::uint32_t>(id);
        h *= 0x9E3779B1u;
        h ^= h >> 15;
    }
    return h;
}

// Walks the chain of `slot`; returns the matching id or -1, and the chain's last id in `last`.
std::int32_t TVocExprIndex::Locate(std::span<const std::int32_t> ids, std::int32_t slot, std::uint32_t fingerprint,
                                   std::int32_t& last) const {
    last = -1;
    for (std::int32_t i = buckets_[slot]; i != -1; i = links_[i].next) {
        last = i;
        if (links_[i].fingerprint == fingerprint && std::ranges::equal(records_[i].ids(), ids)) return i;
    }
    return -1;
}

std::int32_t TVocExprIndex::Find(std::span<const std::int32_t> ids) const {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return -1;
    std::int32_t last = -1;
    return Locate(ids, Hash(ids), Fingerprint(ids), last);
}

std::int32_t TVocExprIndex::Add(std::span<const std::int32_t> ids, std::uint32_t flags) {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return 0;
    const std::int32_t slot = Hash(ids);
    const std::uint32_t fingerprint = Fingerprint(ids);
    std::int32_t last = -1;
    if (std::int32_t i = Locate(ids, slot, fingerprint, last); i != -1) {
        records_[i].count += 1;
        records_[i].contextFlags |= flags;
        return i;
    }
    auto id = static_cast<std::int32_t>(records_.size());
    try {
        records_.emplace_back();
        links_.push_back({-1, fingerprint});
    } catch (const std::bad_alloc&) {
        records_.resize(id);
        failed_ = true;
        return 0;
    }
    if (last != -1) {
        records_[last].next = id;
        links_[last].next = id;
    }
    ExprRecord& r = records_[id];
    r.id = id;
    r.hashSlot = slot;
    std::ranges::copy(ids, r.stemIds.begin());
    r.length = static_cast<std::int32_t>(ids.size());
    r.count = 1;
    r.contextFlags = flags;
    r.next = -1;
    if (buckets_[slot] == -1) buckets_[slot] = id;
    return id;
}
