// How the programs set up glibc's allocator for their pages.
#pragma once

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/sanitizers.h"

/// Makes glibc's allocator free small blocks at once instead of keeping them in its fast bins, so
/// that a structure of millions of small blocks merges as it is freed rather than in one walk at the
/// next large free. That walk once took a quarter of the main-text run of a 9 MB page, when the
/// page's parse tree was such blocks; the tree is flat arrays now, and the setting costs nothing
/// measurable either way. Called once by each program before its first page; nothing under
/// AddressSanitizer, whose allocator is not glibc's.
inline void FreeSmallBlocksAtOnce() {
#if defined(__GLIBC__) && !defined(SUMORAN_ASAN)
    mallopt(M_MXFAST, 0);
#endif
}
