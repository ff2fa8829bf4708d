// How the programs set up glibc's allocator for their pages.
#pragma once

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/sanitizers.h"

/// Makes glibc's allocator free small blocks at once instead of keeping them in its fast bins. The
/// parse tree of a large page in main-text mode is millions of small blocks: kept in fast bins,
/// the next large free walked and merged them all, a quarter of the main-text run of a 9 MB page;
/// freed at once, they merge as they go. The rest of the analysis runs as fast either way. Called
/// once by each program before its first page; nothing under AddressSanitizer, whose allocator is
/// not glibc's.
inline void FreeSmallBlocksAtOnce() {
#if defined(__GLIBC__) && !defined(SUMORAN_ASAN)
    mallopt(M_MXFAST, 0);
#endif
}
