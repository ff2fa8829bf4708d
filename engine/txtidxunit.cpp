#include "engine/txtidxunit.h"

#include <new>

TTxtIdxIndex::TTxtIdxIndex() = default;

void TTxtIdxIndex::Push(std::int32_t first, std::int32_t start, std::int32_t length, std::int32_t kind) {
    try {
        items_.emplace_back() = {first, start, length, kind};
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}
