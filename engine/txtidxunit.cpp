#include "engine/txtidxunit.h"

#include <new>

TTxtIdxIndex::TTxtIdxIndex() {
    try {
        items_.reserve(20000);
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}

void TTxtIdxIndex::Push(std::int32_t first, std::int32_t start, std::int32_t length, std::int32_t kind) {
    try {
        items_.push_back({first, start, length, kind});
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
}
