// Page source: the bytes of a saved page or frame turned into the single-byte text the analysis
// reads, with CR LF line breaks only. Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

/// Returns `bytes` converted from UTF-8 to Windows-1251 (U+00A0 and every character Windows-1251
/// lacks become a space, a leading byte-order mark is dropped) when they start with the UTF-8
/// byte-order mark or are valid UTF-8 with at least one multi-byte sequence; otherwise returns
/// them unchanged, so single-byte pages (Windows-1251, KOI8-R, ISO 8859-5) reach charset detection.
std::string ToSingleByte(std::string_view bytes);

/// Returns the lines of `bytes` (a line ends at CR, LF or CR LF; a NUL byte ends the text) each
/// followed by CR LF, the last included; empty text gives an empty result.
std::string JoinLines(std::string_view bytes);

/// Returns one saved document or frame as the analysis takes it: cut at the first NUL, converted
/// by ToSingleByte, then joined by JoinLines.
std::string SavedPartText(std::string_view fileBytes);
