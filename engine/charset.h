// Normalise and convert: the first step of an analysis run.
//
// Cleans the raw page source in place (line breaks, runs of spaces, the &nbsp; and &amp;
// entities), finds out from the counts of its high bytes whether it is Windows-1251, KOI8-R or
// ISO 8859-5, and converts the Russian letters of the other two to Windows-1251. One linear
// pass plus one table lookup per high byte, no allocation. Pure functions, thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kCharsetNames[3] = {"Windows-1251", "KOI8-R", "ISO 8859-5"};

/// Returns the name of a charset index (0..2); "Windows-1251" for any other value.
std::string_view CharsetName(int charsetIndex);

/// Counts of the written bytes in each band 0xB0-0xBF (b) ... 0xF0-0xFF (f).
struct BandCounts {
    std::uint32_t b = 0, c = 0, d = 0, e = 0, f = 0;
};

/// Returns the charset index the band counts point to: 2 (ISO 8859-5) when b > f and d + e > b + c,
/// 1 (KOI8-R) when b <= f and c + d > e + f, otherwise 0 (Windows-1251), so ties keep 0.
int DetectCharset(const BandCounts& counts);

/// Cleans `text` in place (entities, spaces, line breaks), shrinks it to the cleaned length,
/// converts it to Windows-1251 when it is detected as KOI8-R or ISO 8859-5, and returns the
/// detected charset index (0 for empty text).
int NormaliseAndConvert(std::string& text);
