// The stop-word file stopwords.txt: Windows-1251 text, one stop word per line, CR LF after every
// line. The analysis table (stopWords) and the editor's item list are read from it differently:
// the table by a scan for CR bytes, the item list as plain text lines.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/vocunit.h"

namespace settings {

/// Builds the stop-word table: at each CR the bytes since the line start become one entry
/// (weight 0, link 0, code 0) and the byte after the CR is skipped unseen; bytes after the last
/// CR are not added, so an LF-only file gives an empty table.
TVocIndex ParseStopWords(std::string_view fileBytes);

/// Loads the stop-word table from the file. Returns an empty table when the file is missing,
/// unreadable or over the size limit.
TVocIndex LoadStopWords(const std::filesystem::path& path);

/// The editor's item list, and the message to show when the file could not be read.
struct StopWordItems {
    std::vector<std::string> items;
    std::optional<std::string> error;
};

/// Reads the editor's items: one per text line (CR, LF or CR LF; a NUL ends the text), in the
/// editor's sorted order. Returns no items and "Cannot open file <path>" when the file is
/// missing, unreadable or over the size limit.
StopWordItems ReadStopWordItems(const std::filesystem::path& path);

/// Replaces the file with the items in the given order, each followed by CR LF. Returns
/// "Cannot create file <path>" when the file cannot be written; the old file is then intact.
std::optional<std::string> WriteStopWords(const std::filesystem::path& path, const std::vector<std::string>& items);

}  // namespace settings
