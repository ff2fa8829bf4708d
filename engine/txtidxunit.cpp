#include "engine/txtidxunit.h"

#include <algorithm>
#include <new>

TTxtIdxIndex::TTxtIdxIndex() = default;

void TTxtIdxIndex::Push(std::int32_t first, std::int32_t start, std::int32_t length, std::int32_t kind) {
    try {
        TokenRecord& r = items_.emplace_back();
        r.first = first;
        r.start = start;
        r.length = static_cast<std::uint32_t>(std::clamp(length, 0, token::kMaxLength));
        r.kind = static_cast<std::uint32_t>(kind) & token::kKindMask;
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return;
    }
    if (source_ == nullptr) return;
    try {
        refs_.emplace_back() = static_cast<std::uint32_t>(items_.size() - 1) | kOwnRecord;
    } catch (const std::bad_alloc&) {
        items_.pop_back();
        failed_ = true;
    }
}

// Turns the records so far into references to themselves; returns false when memory runs out.
bool TTxtIdxIndex::startSharing(const TTxtIdxIndex& source) {
    try {
        for (std::size_t k = 0; k < items_.size(); ++k)
            refs_.emplace_back() = static_cast<std::uint32_t>(k) | kOwnRecord;
    } catch (const std::bad_alloc&) {
        while (!refs_.empty()) refs_.pop_back();
        return false;
    }
    source_ = &source;
    return true;
}

void TTxtIdxIndex::PushFrom(const TTxtIdxIndex& source, std::int32_t index) {
    if (source_ == nullptr && &source != this && !startSharing(source)) {
        failed_ = true;
        return;
    }
    if (source_ != &source) {
        const TokenRecord& r = source[index];
        Push(r.first, r.start, static_cast<std::int32_t>(r.length), static_cast<std::int32_t>(r.kind));
        return;
    }
    try {
        refs_.emplace_back() = static_cast<std::uint32_t>(index);
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}
