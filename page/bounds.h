// The bounds of one page, wherever it comes from (a file, standard input, an address, the browser)
// and whichever front end reads it.
#pragma once

#include <cstddef>

/// The most bytes of a page: of the file or body read, and of the source the analysis takes (the
/// page and its frames joined).
inline constexpr std::size_t kMaxPageBytes = std::size_t{256} << 20;

/// The most frames of a page that are read.
inline constexpr std::size_t kMaxFrames = 64;
