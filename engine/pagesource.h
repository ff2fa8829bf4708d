// Page source: the bytes of a saved page or frame turned into the single-byte text the analysis
// reads, with CR LF line breaks only. Pure functions, thread-safe.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "engine/charset.h"

/// Returns `bytes` converted from UTF-8 to Windows-1251 as cp1251::fromUtf8Lossy converts when
/// they are valid UTF-8 with at least one multi-byte sequence (a leading byte-order mark included);
/// otherwise returns them unchanged but for a leading byte-order mark, so single-byte pages
/// (Windows-1251, KOI8-R, ISO 8859-5), even those saved with a stray mark, reach charset detection.
std::string ToSingleByte(std::string_view bytes);

/// Returns the lines of `bytes` (a line ends at CR, LF or CR LF; a NUL byte ends the text) each
/// followed by CR LF, the last included; empty text gives an empty result.
std::string JoinLines(std::string_view bytes);

/// Returns one saved document or frame as the analysis takes it: cut at the first NUL, converted
/// by ToSingleByte, then joined by JoinLines.
std::string SavedPartText(std::string_view fileBytes);

/// A page source as the analysis takes it, with what the page was read from.
struct PageText {
    std::string text;       // single-byte, CR LF lines; Windows-1251 when read from UTF-8
    bool fromUtf8 = false;  // converted from UTF-8 (ASCII-only text, which reads the same either way, is not)
};

/// Returns one saved document or frame read as `choice` says. kAuto: SavedPartText, from UTF-8
/// when it is valid UTF-8 that starts with the byte-order mark or whose multi-byte sequences were
/// converted. A chosen
/// single-byte charset: cut at the first NUL and joined by JoinLines, never converted from UTF-8,
/// so that the analysis converts it from that charset. UTF-8: cut, joined and converted as
/// cp1251::fromUtf8Lossy converts (a byte that starts no valid sequence becomes a space), whether
/// or not the bytes are valid UTF-8.
PageText ReadSavedPart(std::string_view fileBytes, CharsetChoice choice);

/// Returns the parts of a page (the document, then each of its frames) read by ReadSavedPart and
/// joined in order; from UTF-8 when any part was.
PageText ReadSavedParts(std::span<const std::string> parts, CharsetChoice choice);
