#include "engine/vocunit.h"

#include <algorithm>
#include <limits>
#include <new>

#include "engine/wordcode.h"

namespace {

// The case rule: the entry's word type follows the mean of the type bytes of its occurrences.
void applyCaseRule(VocRecord& r) {
    double ratio = static_cast<double>(r.caseSum) / r.count;
    std::uint32_t type = ratio > 1.5 ? wordcode::kAbbrev : ratio > 0.5 ? wordcode::kName : wordcode::kNormal;
    r.code = (r.code & ~0xFFu) | type;
}

bool isCaseType(std::uint32_t code) { return wordcode::wordType(code) <= wordcode::kAbbrev; }

// Adds a type byte to a case sum. A page holds fewer than 2^30 words, so a sum held at 2^32 - 1 is
// still more than 1.5 times the count and the case rule decides as with the exact sum.
std::uint32_t addType(std::uint32_t caseSum, std::uint32_t code) {
    const std::uint32_t type = wordcode::wordType(code);
    return caseSum > std::numeric_limits<std::uint32_t>::max() - type ? std::numeric_limits<std::uint32_t>::max()
                                                                      : caseSum + type;
}

}  // namespace

// FNV-1a over the bytes, finished so that the low bits spread.
std::uint32_t TVocIndex::TextHash(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return FinishHash(h);
}

std::int32_t TVocIndex::Locate(std::string_view text, std::uint32_t hash) const {
    return index_.find(hash, [&](std::int32_t id) { return this->text(id) == text; });
}

std::int32_t TVocIndex::Find(std::string_view text) const { return Locate(text, TextHash(text)); }

std::uint32_t TVocIndex::Contains(std::string_view text) const { return Find(text) != -1 ? wordcode::kIgnoredBit : 0; }

std::int32_t TVocIndex::Add(std::string_view text, double weight, std::int32_t link, std::uint32_t code) {
    const std::uint32_t hash = TextHash(text);
    const std::int32_t i = Locate(text, hash);
    if (i == -1) return Insert(text, weight, link, code, hash);
    AddTo(i, weight, code);
    return i;
}

void TVocIndex::AddTo(std::int32_t id, double weight, std::uint32_t code) {
    VocRecord& r = records_[static_cast<std::size_t>(id)];
    r.count += 1;
    r.weight += weight;
    r.caseSum = addType(r.caseSum, code);
    if (isCaseType(code)) applyCaseRule(r);
}

// Copies `text` into the chunks and returns its offset there. Throws std::bad_alloc when memory
// runs out, leaving the chunks unchanged.
std::uint32_t TVocIndex::StoreText(std::string_view text) {
    const std::uint64_t size = text.size();
    std::uint64_t chunk = poolEnd_ >> kPoolChunkBits;
    const std::uint64_t used = poolEnd_ & (kPoolChunkSize - 1);
    if (chunk < pool_.size() && used + size <= kPoolChunkSize) {
        pool_[chunk].append(text);  // within the capacity reserved for the chunk
        poolEnd_ += static_cast<std::uint32_t>(size);
        return static_cast<std::uint32_t>((chunk << kPoolChunkBits) | used);
    }
    if (used != 0 || chunk < pool_.size()) ++chunk;
    const std::uint64_t places = size <= kPoolChunkSize ? 1 : (size + kPoolChunkSize - 1) >> kPoolChunkBits;
    const std::uint64_t end =
        size <= kPoolChunkSize ? (chunk << kPoolChunkBits) + size : (chunk + places) << kPoolChunkBits;
    if (end > kMaxPoolBytes) throw std::bad_alloc();
    const auto slotsNeeded = static_cast<std::size_t>(chunk + places);
    if (pool_.capacity() < slotsNeeded) pool_.reserve(std::max(slotsNeeded, pool_.capacity() * 2));
    std::string storage;
    storage.reserve(size <= kPoolChunkSize ? kPoolChunkSize : size);
    storage.append(text);
    pool_.push_back(std::move(storage));
    pool_.resize(static_cast<std::size_t>(chunk + places));
    poolEnd_ = static_cast<std::uint32_t>(end);
    return static_cast<std::uint32_t>(chunk << kPoolChunkBits);
}

std::int32_t TVocIndex::Insert(std::string_view text, double weight, std::int32_t link, std::uint32_t code,
                               std::uint32_t hash) {
    const auto id = static_cast<std::int32_t>(records_.size());
    const std::size_t chunks = pool_.size();
    const std::uint32_t poolEnd = poolEnd_;
    std::uint32_t offset = 0;
    bool stored = false;
    try {
        records_.emplace_back();
        offset = StoreText(text);
        stored = true;
        index_.insert(
            hash, [this](std::int32_t entry, std::span<const std::uint32_t>) { return TextHash(this->text(entry)); });
    } catch (const std::bad_alloc&) {
        if (records_.size() > static_cast<std::size_t>(id)) records_.pop_back();
        if (stored) {
            pool_.resize(chunks);
            poolEnd_ = poolEnd;
            if ((poolEnd >> kPoolChunkBits) < chunks)
                pool_[poolEnd >> kPoolChunkBits].resize(poolEnd & (kPoolChunkSize - 1));
        }
        failed_ = true;
        return 0;
    }
    VocRecord& r = records_[static_cast<std::size_t>(id)];
    r.textOffset = offset;
    r.textLength = static_cast<std::int32_t>(text.size());
    r.count = 1;
    r.code = code;
    r.link = link;
    r.weight = weight;
    r.caseSum = wordcode::wordType(code);
    if (isCaseType(code)) applyCaseRule(r);
    return id;
}
