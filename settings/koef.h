// The weight-coefficient file koef.dat: eighteen values, one a line, in the order of Coefficients,
// written with the user's decimal separator.
//
// A value reads with either separator, '.' or ',', whatever the user's locale: a file written
// under a Russian locale reads under an English one and back. A file without exactly eighteen
// lines is ignored as a whole. Values are converted line by line; the first line that is not a
// number stops the conversion with an error, so the lines before it keep their values and it and
// the lines after it keep the defaults.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "engine/coefficients.h"

namespace settings {

/// The category texts of the coefficients in file order, as the editor's second column shows them
/// (Windows-1251).
inline constexpr std::array<std::string_view, Coefficients::kCount> kKoefCategoryTexts = {
    u8"<title>...</title>"_cp,
    u8"<meta content=... name=keywords и т.д.>"_cp,
    u8"<form>...</form>"_cp,
    u8"<img alt=...>"_cp,
    u8"<h1>...</h1>"_cp,
    u8"<h2>...</h2>"_cp,
    u8"<h3>...</h3>"_cp,
    u8"<nobr>...</nobr>"_cp,
    u8"<b>...</b>"_cp,
    u8"<a>...</a>"_cp,
    u8"<i>...</i>"_cp,
    u8"<u>...</u>"_cp,
    u8"<pre>...</pre>"_cp,
    u8"Тип: Возможное название и имя"_cp,
    u8"Тип: Аббревиатура"_cp,
    u8"Тип: Число"_cp,
    u8"Тип: Числобуквенное сочетание"_cp,
    u8"Тип: Непонятные сочетания символов"_cp,
};

/// Coefficients read from a file, and the message to show when reading stopped at an error.
struct KoefLoadResult {
    Coefficients values;
    std::optional<std::string> error;
};

/// Reads one value: a decimal number with '.' or ',' as its separator (see numformat::ParseFloat).
/// Returns nothing for any other text, one holding both separators or one separator twice included.
std::optional<double> ParseKoefValue(std::string_view text);

/// Converts koef.dat's bytes. Returns the defaults without error unless there are exactly 18
/// lines; at the first line that is not a number the error (Windows-1251) "line <n>: '<line>' is
/// not a valid floating point value", with the values of the lines before it kept.
KoefLoadResult ParseKoef(std::string_view fileBytes);

/// As ParseKoef(fileBytes): values read with either separator, so the argument is not used.
inline KoefLoadResult ParseKoef(std::string_view fileBytes, char /*decimalSeparator*/) { return ParseKoef(fileBytes); }

/// Converts the bytes read from koef.dat at `path` as ParseKoef does, with the path in front of its
/// error: "<path>, line <n>: '<line>' is not a valid floating point value", all UTF-8 (bytes of a
/// path that is not UTF-8 as '?').
KoefLoadResult ParseKoefFile(const std::filesystem::path& path, std::string_view fileBytes);

/// Loads koef.dat. Returns the defaults without error when the file does not exist, the defaults
/// and "Cannot open file <path>" when it exists but cannot be read (or is over the size limit),
/// otherwise as ParseKoefFile.
KoefLoadResult LoadKoef(const std::filesystem::path& path);

/// As LoadKoef(path): values read with either separator, so the argument is not used.
inline KoefLoadResult LoadKoef(const std::filesystem::path& path, char /*decimalSeparator*/) { return LoadKoef(path); }

/// Formats a value as koef.dat and the editor write it: the general 15-digit format, or, for a value
/// whose 15-digit form is too large for a double (next to the largest one), the shortest exact form,
/// so that ParseKoefValue always reads the text back.
std::string FormatKoef(double value, char decimalSeparator);

/// Returns nothing when `text` (Windows-1251), the value of the coefficient in file line `row` + 1,
/// reads as a number (ParseKoefValue); otherwise the message (UTF-8) naming the row by its number and
/// category text: "Вес в строке 5 «<h1>...</h1>» — не число: «abc»".
std::optional<std::string> KoefValueError(std::size_t row, std::string_view text);

/// Returns KoefValueError of the first line that is not a number, or nothing when all read.
std::optional<std::string> KoefLinesError(const std::vector<std::string>& lines);

/// Returns the editor's eighteen value texts for a coefficient set, in file order.
std::vector<std::string> KoefEditorLines(const Coefficients& values, char decimalSeparator);

/// Replaces koef.dat with the given texts, each followed by CR LF, as they are. Returns
/// "Не удалось сохранить весовые коэффициенты в файл <path>: <reason>" when the file cannot be
/// written; the old file is then intact.
std::optional<std::string> WriteKoef(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace settings
