// Test helper: makes one chosen allocation of the program fail with std::bad_alloc, as it would
// when memory runs out, by replacing the global operator new and delete.
//
// Include it in exactly one source file of a test program. Until FailAllocationOf is called,
// every allocation goes to malloc as usual. NOT thread-safe: arm it only while one thread runs.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace failingnew {

inline std::size_t failingSize = 0;  // the size of the allocation that fails; 0 when none does
inline int spared = 0;               // how many allocations of that size still succeed first
inline bool failed = false;          // whether it has failed

/// Makes the allocation of exactly `bytes` bytes that follows `spare` successful ones of that
/// size throw std::bad_alloc; the ones after it succeed again.
inline void FailAllocationOf(std::size_t bytes, int spare = 0) {
    failingSize = bytes;
    spared = spare;
    failed = false;
}

/// Disarms FailAllocationOf. Returns whether the chosen allocation failed.
inline bool StopFailing() {
    failingSize = 0;
    return failed;
}

inline void* allocate(std::size_t bytes) {
    if (failingSize != 0 && bytes == failingSize && spared-- == 0) {
        failingSize = 0;
        failed = true;
        return nullptr;
    }
    return std::malloc(bytes == 0 ? 1 : bytes);
}

// Out of line, so that the compiler does not take the replaced operator delete for a mismatch.
[[gnu::noinline]] inline void release(void* p) noexcept { std::free(p); }

}  // namespace failingnew

// Every form that pairs with the plain operator delete is replaced, so that each allocation is
// freed by the allocator that made it.
void* operator new(std::size_t bytes) {
    if (void* p = failingnew::allocate(bytes)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) {
    if (void* p = failingnew::allocate(bytes)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return failingnew::allocate(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return failingnew::allocate(bytes); }
void operator delete(void* p) noexcept { failingnew::release(p); }
void operator delete[](void* p) noexcept { failingnew::release(p); }
void operator delete(void* p, std::size_t) noexcept { failingnew::release(p); }
void operator delete[](void* p, std::size_t) noexcept { failingnew::release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { failingnew::release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { failingnew::release(p); }
