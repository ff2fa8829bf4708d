#include "engine/vocunit.h"

#include <cstring>
#include <new>

#include "engine/wordcode.h"

namespace {

// The case rule: the entry's word type follows the mean of the type bytes of its occurrences.
void applyCaseRule(VocRecord& r) {
    double ratio = r.caseSum / r.count;
    std::uint32_t type = ratio > 1.5 ? wordcode::kAbbrev : ratio > 0.5 ? wordcode::kName : wordcode::kNormal;
    r.code = (r.code & ~0xFFu) | type;
}

bool isCaseType(std::uint32_t code) { return wordcode::wordType(code) <= wordcode::kAbbrev; }

}  // namespace

TVocIndex::TVocIndex() {
    try {
        pool_.reserve(32000);
        records_.reserve(10000);
        buckets_.assign(kHashSize, -1);
        tails_.assign(kHashSize, -1);
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}

std::int32_t TVocIndex::Hash(std::string_view text) {
    std::uint32_t h = 0;
    for (char ch : text) {
        auto c = static_cast<std::int32_t>(static_cast<signed char>(ch));
        h = (h * 127u + static_cast<std::uint32_t>(c)) % kHashSize;
    }
    return static_cast<std::int32_t>(h);
}

// FNV-1a over the bytes, finished so that the low bits spread.
std::uint32_t TVocIndex::TextHash(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return FinishHash(h);
}

std::int32_t TVocIndex::Locate(std::string_view text, std::uint32_t hash) const {
    return index_.find(hash, [&](std::int32_t id) { return this->text(id) == text; });
}

std::int32_t TVocIndex::Find(std::string_view text) const {
    if (buckets_.empty()) return -1;
    return Locate(text, TextHash(text));
}

std::uint32_t TVocIndex::Contains(std::string_view text) const {
    return Find(text) != -1 ? wordcode::kIgnoredBit : 0;
}

std::int32_t TVocIndex::Add(std::string_view text, double weight, std::int32_t link, std::uint32_t code) {
    if (buckets_.empty()) return 0;
    const std::uint32_t hash = TextHash(text);
    const std::int32_t i = Locate(text, hash);
    if (i == -1) return Insert(text, weight, link, code, 1, Hash(text), hash);
    VocRecord& r = records_[i];
    r.count += 1;
    r.weight += weight;
    r.caseSum += wordcode::wordType(code);
    if (isCaseType(code)) applyCaseRule(r);
    return i;
}

std::int32_t TVocIndex::Insert(std::string_view text, double weight, std::int32_t link, std::uint32_t code,
                               std::int32_t count, std::int32_t slot, std::uint32_t hash) {
    auto id = static_cast<std::int32_t>(records_.size());
    auto offset = static_cast<std::int32_t>(pool_.size());
    try {
        records_.emplace_back();
        pool_.resize(pool_.size() + text.size() + 1);
        index_.insert(hash, id);
    } catch (const std::bad_alloc&) {
        records_.resize(id);
        pool_.resize(offset);
        failed_ = true;
        return 0;
    }
    std::memcpy(pool_.data() + offset, text.data(), text.size());
    pool_[offset + text.size()] = '\0';
    VocRecord& r = records_[id];
    r.id = id;
    r.hashSlot = slot;
    r.textOffset = offset;
    r.textLength = static_cast<std::int32_t>(text.size());
    r.count = count;
    r.code = code;
    r.link = link;
    r.weight = weight;
    r.caseSum = wordcode::wordType(code);
    if (isCaseType(code)) applyCaseRule(r);
    r.next = -1;
    if (tails_[slot] != -1) records_[tails_[slot]].next = id;
    if (buckets_[slot] == -1) buckets_[slot] = id;
    tails_[slot] = id;
    return id;
}
