// SUMORAN_ASAN is defined when the build runs under AddressSanitizer (GCC or clang). Its allocator
// then replaces glibc's, whose arenas are never set up, so the code that tunes glibc's allocator
// (malloc_trim, mallopt) is left out of such builds.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define SUMORAN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SUMORAN_ASAN 1
#endif
#endif
