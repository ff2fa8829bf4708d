#include "engine/vocexprunit.h"

#include <algorithm>
#include <array>
#include <new>

std::uint32_t TVocExprIndex::Mix(std::uint32_t h, std::int32_t id) {
    h ^= static_cast<std::uint32_t>(id);
    h *= 0x9E3779B1u;
    return h ^ (h >> 15);
}

std::uint32_t TVocExprIndex::PairFingerprint(std::int32_t first, std::int32_t second) {
    return FinishHash(Mix(Mix(0, first), second));
}

std::uint32_t TVocExprIndex::ExtendFingerprint(std::uint32_t fingerprint, std::int32_t last) {
    return FinishHash(Mix(fingerprint, last));
}

std::uint32_t TVocExprIndex::Fingerprint(std::span<const std::int32_t> ids) {
    if (ids.size() < 2) return 0;
    std::uint32_t f = PairFingerprint(ids[0], ids[1]);
    for (std::size_t k = 2; k < ids.size(); ++k) f = ExtendFingerprint(f, ids[k]);
    return f;
}

std::int32_t TVocExprIndex::Locate(std::uint32_t fingerprint, std::int32_t prefix, std::int32_t last,
                                   std::size_t length) const {
    return index_.find(fingerprint, [&](std::int32_t id) {
        const ExprRecord& r = records_[static_cast<std::size_t>(id)];
        return r.last == last && r.prefix == prefix && r.length == length;
    });
}

std::int32_t TVocExprIndex::Find(std::span<const std::int32_t> ids) const {
    if (ids.size() < 2 || ids.size() > kMaxLength) return -1;
    std::uint32_t f = PairFingerprint(ids[0], ids[1]);
    std::int32_t found = Locate(f, ids[0], ids[1], 2);
    for (std::size_t k = 2; k < ids.size() && found != -1; ++k) {
        f = ExtendFingerprint(f, ids[k]);
        found = Locate(f, found, ids[k], k + 1);
    }
    return found;
}

std::int32_t TVocExprIndex::AddPrefixes(std::span<const std::int32_t> ids, ContextFlags flags) {
    const std::size_t n = std::min(ids.size(), kMaxLength);
    if (n < 2) return -1;
    // The fingerprint of each prefix extends that of the prefix before it; the slots of all of
    // them are loaded at once.
    std::array<std::uint32_t, kMaxLength> fingerprints{};
    fingerprints[1] = PairFingerprint(ids[0], ids[1]);
    index_.prefetch(fingerprints[1]);
    for (std::size_t k = 2; k < n; ++k) {
        fingerprints[k] = ExtendFingerprint(fingerprints[k - 1], ids[k]);
        index_.prefetch(fingerprints[k]);
    }
    // An entry's prefix is the entry found or made one step before; once a prefix is new, so is
    // every longer one.
    std::int32_t prefix = ids[0];
    bool known = true;
    for (std::size_t k = 1; k < n; ++k) {
        std::int32_t id = known ? Locate(fingerprints[k], prefix, ids[k], k + 1) : -1;
        if (id == -1) {
            known = false;
            id = Insert(fingerprints[k], prefix, ids[k], k + 1, flags);
            if (id == -1) return -1;
        } else {
            ExprRecord& r = records_[static_cast<std::size_t>(id)];
            r.count += 1;
            r.contextFlags |= flags;
        }
        prefix = id;
    }
    return prefix;
}

std::int32_t TVocExprIndex::Insert(std::uint32_t fingerprint, std::int32_t prefix, std::int32_t last,
                                   std::size_t length, ContextFlags flags) {
    const auto id = static_cast<std::int32_t>(records_.size());
    try {
        records_.emplace_back();
        // An entry's fingerprint extends its prefix entry's, which has a smaller id.
        index_.insert(fingerprint, [this](std::int32_t entry, std::span<const std::uint32_t> earlier) {
            const ExprRecord& r = records_[static_cast<std::size_t>(entry)];
            if (r.length == 2) return PairFingerprint(r.prefix, r.last);
            return ExtendFingerprint(earlier[static_cast<std::size_t>(r.prefix)], r.last);
        });
    } catch (const std::bad_alloc&) {
        if (records_.size() > static_cast<std::size_t>(id)) records_.pop_back();
        failed_ = true;
        return -1;
    }
    ExprRecord& r = records_[static_cast<std::size_t>(id)];
    r.prefix = prefix;
    r.last = last;
    r.count = 1;
    r.length = static_cast<std::uint8_t>(length);
    r.contextFlags = flags;
    return id;
}

ExprIds TVocExprIndex::ids(std::int32_t id) const {
    ExprIds out;
    const ExprRecord* r = &records_[static_cast<std::size_t>(id)];
    out.length = r->length;
    for (std::int32_t k = out.length - 1; k >= 2; --k) {
        out.stemIds[static_cast<std::size_t>(k)] = r->last;
        r = &records_[static_cast<std::size_t>(r->prefix)];
    }
    out.stemIds[1] = r->last;
    out.stemIds[0] = r->prefix;
    return out;
}

std::int32_t TVocExprIndex::firstStem(std::int32_t id) const {
    const ExprRecord* r = &records_[static_cast<std::size_t>(id)];
    while (r->length > 2) r = &records_[static_cast<std::size_t>(r->prefix)];
    return r->prefix;
}

bool TVocExprIndex::hasPrefix(std::int32_t id, std::int32_t ancestor) const {
    const std::uint8_t length = records_[static_cast<std::size_t>(ancestor)].length;
    const ExprRecord* r = &records_[static_cast<std::size_t>(id)];
    while (r->length > length) {
        id = r->prefix;
        r = &records_[static_cast<std::size_t>(id)];
    }
    return id == ancestor;
}
