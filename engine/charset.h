// Normalise and convert: the first step of an analysis run.
//
// Cleans the raw page source in place (line breaks, runs of spaces, the &nbsp; and &amp;
// entities), finds out from the counts of its high bytes whether it is Windows-1251, KOI8-R or
// ISO 8859-5, and converts the Russian letters of the other two to Windows-1251. One linear
// pass plus one table lookup per high byte, no allocation. The charset names are ASCII. Pure
// functions, thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// The character set a page was detected in (the analysis state's `charsetIndex`), by its index.
enum class Charset : int {
    kWindows1251 = 0,
    kKoi8r = 1,
    kIso88595 = 2,
};

/// The names of the charsets, by index.
inline constexpr std::string_view kCharsetNames[3] = {"Windows-1251", "KOI8-R", "ISO 8859-5"};

/// Returns the name of a charset; "Windows-1251" for a value outside the enum.
std::string_view CharsetName(Charset charset);

/// Counts of the written bytes in each band 0xB0-0xBF (b) ... 0xF0-0xFF (f).
struct BandCounts {
    std::uint32_t b = 0, c = 0, d = 0, e = 0, f = 0;
};

/// Returns the charset the band counts point to: ISO 8859-5 when b > f and d + e > b + c, KOI8-R
/// when b <= f and c + d > e + f, otherwise Windows-1251, so ties keep Windows-1251.
Charset DetectCharset(const BandCounts& counts);

/// Cleans `text` in place (entities, spaces, line breaks), shrinks it to the cleaned length,
/// converts it to Windows-1251 when it is detected as KOI8-R or ISO 8859-5, and returns the
/// detected charset (Windows-1251 for empty text).
Charset NormaliseAndConvert(std::string& text);
