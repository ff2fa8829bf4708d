// Normalise and convert: the first step of an analysis run.
//
// Cleans the raw page source in place (line breaks, runs of spaces, the &nbsp; and &amp;
// entities), finds out from the counts of its high bytes whether it is Windows-1251, KOI8-R or
// ISO 8859-5 (unless the caller chose the charset), and converts the Russian letters of the other
// two to Windows-1251. One linear pass plus one table lookup per high byte, no allocation. The
// charset names are ASCII. Pure functions, thread-safe.
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

/// How a page's bytes are read: kAuto by the automatic rules (converted from UTF-8 when they are
/// UTF-8, else by the detected charset), or as the one charset the user chose, for a page the
/// rules misread (a page written mostly in capital letters is detected wrongly).
enum class CharsetChoice : int {
    kAuto = 0,
    kWindows1251 = 1,
    kKoi8r = 2,
    kIso88595 = 3,
    kUtf8 = 4,
};

/// The names of the choices, by index; the charsets' names are those the window shows.
inline constexpr std::string_view kCharsetChoiceNames[5] = {"auto", "Windows-1251", "KOI8-R", "ISO 8859-5", "UTF-8"};

/// Returns the name of a choice; "auto" for a value outside the enum.
std::string_view CharsetChoiceName(CharsetChoice choice);

/// Counts of the written bytes in each band 0xB0-0xBF (b) ... 0xF0-0xFF (f).
struct BandCounts {
    std::uint32_t b = 0, c = 0, d = 0, e = 0, f = 0;
};

/// Returns the charset the band counts point to: ISO 8859-5 when b > f and d + e > b + c, KOI8-R
/// when b <= f and c + d > e + f, otherwise Windows-1251, so ties keep Windows-1251.
Charset DetectCharset(const BandCounts& counts);

/// Cleans `text` in place (entities, spaces, line breaks) and shrinks it to the cleaned length.
/// Under kAuto it converts it to Windows-1251 when it is detected as KOI8-R or ISO 8859-5 and
/// returns the detected charset (Windows-1251 for empty text). Under a chosen charset nothing is
/// detected: KOI8-R and ISO 8859-5 are converted from and returned; Windows-1251 and UTF-8 (which
/// reaches this step already read into Windows-1251) are kept and give Windows-1251.
Charset NormaliseAndConvert(std::string& text, CharsetChoice choice = CharsetChoice::kAuto);
