#include "engine/vocexprunit.h"

#include <algorithm>
#include <new>

TVocExprIndex::TVocExprIndex() {
    try {
        records_.reserve(10000);
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

std::int32_t TVocExprIndex::Find(std::span<const std::int32_t> ids) const {
    if (buckets_.empty()) return -1;
    for (std::int32_t i = buckets_[Hash(ids)]; i != -1; i = records_[i].next) {
        if (std::ranges::equal(records_[i].ids(), ids)) return i;
    }
    return -1;
}

std::int32_t TVocExprIndex::Add(std::span<const std::int32_t> ids, std::uint32_t flags) {
    if (buckets_.empty() || ids.size() < 2 || ids.size() > kMaxLength) return 0;
    std::int32_t slot = Hash(ids);
    std::int32_t last = -1;
    for (std::int32_t i = buckets_[slot]; i != -1; i = records_[i].next) {
        last = i;
        ExprRecord& r = records_[i];
        if (!std::ranges::equal(r.ids(), ids)) continue;
        r.count += 1;
        r.contextFlags |= flags;
        return i;
    }
    auto id = static_cast<std::int32_t>(records_.size());
    try {
        records_.emplace_back();
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return 0;
    }
    if (last != -1) records_[last].next = id;
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
