// The stop-word file stopwords.txt: one stop word per line. The program writes it in Windows-1251
// with CR LF after every line; it reads any line end (CR LF, LF or CR) and takes a UTF-8 file as
// pages are taken (ToSingleByte), so a list written by any editor reads as it looks. The analysis
// table (stopWords) and the editor's item list hold the same lines.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/vocunit.h"

namespace settings {

/// Returns the stop words of a file's bytes in file order: the text up to the first NUL, converted
/// from UTF-8 to Windows-1251 when it is UTF-8 (ToSingleByte), split into lines at CR LF, LF or CR,
/// the last line included even without a line end; empty lines give nothing.
std::vector<std::string> StopWordLines(std::string_view fileBytes);

/// Builds the stop-word table from StopWordLines: one entry (weight 0, link 0, code 0) per distinct
/// line, so a repeated line counts twice on its entry.
TVocIndex ParseStopWords(std::string_view fileBytes);

/// Loads the stop-word table from the file. Returns an empty table when the file is missing,
/// unreadable or over the size limit.
TVocIndex LoadStopWords(const std::filesystem::path& path);

/// The editor's item list, and the message to show when the file could not be read.
struct StopWordItems {
    std::vector<std::string> items;
    std::optional<std::string> error;
};

/// Reads the editor's items: the file's StopWordLines in the editor's sorted order. Returns no items
/// and "Cannot open file <path>" when the file is missing, unreadable or over the size limit.
StopWordItems ReadStopWordItems(const std::filesystem::path& path);

/// Replaces the file with the items (Windows-1251) in the given order, each followed by CR LF. Returns
/// "Не удалось сохранить стоп-слова в файл <path>: <reason>" when the file cannot be written; the
/// old file is then intact.
std::optional<std::string> WriteStopWords(const std::filesystem::path& path, const std::vector<std::string>& items);

}  // namespace settings
