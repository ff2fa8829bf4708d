#include "settings/koef.h"

#include <charconv>

#include "base/numformat.h"
#include "base/textfile.h"

namespace settings {
namespace {

// The path as UTF-8 text for a message; when its bytes are not UTF-8, every byte of 0x80 and above
// shows as '?', so that the message stays valid text.
std::string messagePath(const std::filesystem::path& path) {
    std::string text = path.string();
    if (cp1251::isValidUtf8(text)) return text;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    return text;
}

}  // namespace

std::optional<double> ParseKoefValue(std::string_view text) {
    // A text with both separators, or with one twice, reads with neither.
    if (std::optional<double> value = numformat::ParseFloat(text, '.')) return value;
    return numformat::ParseFloat(text, ',');
}

KoefLoadResult ParseKoef(std::string_view fileBytes) {
    KoefLoadResult result;
    std::vector<std::string> lines = SplitTextLines(fileBytes);
    if (lines.size() != Coefficients::kCount) return result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<double> value = ParseKoefValue(lines[i]);
        if (!value) {
            result.error = "line " + std::to_string(i + 1) + ": '" + lines[i] + "' is not a valid floating point value";
            return result;
        }
        result.values.at(i) = *value;
    }
    return result;
}

KoefLoadResult ParseKoefFile(const std::filesystem::path& path, std::string_view fileBytes) {
    KoefLoadResult result = ParseKoef(fileBytes);
    if (result.error) result.error = messagePath(path) + ", " + cp1251::toUtf8(*result.error);
    return result;
}

KoefLoadResult LoadKoef(const std::filesystem::path& path) {
    FileBytes file = ReadFileBytes(path);
    if (file.status == ReadStatus::kMissing) return {};
    if (file.status == ReadStatus::kUnreadable) return {Coefficients{}, CannotOpenFileMessage(path)};
    return ParseKoefFile(path, file.bytes);
}

std::string FormatKoef(double value, char decimalSeparator) {
    std::string text = numformat::General(value, decimalSeparator);
    if (ParseKoefValue(text)) return text;
    // Rounded to 15 digits, a value next to the largest double exceeds it and would not read back.
    char buffer[64];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.assign(buffer, end.ptr);
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
    }
    return text;
}

std::optional<std::string> KoefValueError(std::size_t row, std::string_view text) {
    if (ParseKoefValue(text)) return std::nullopt;
    const std::string category =
        row < kKoefCategoryTexts.size() ? " «" + cp1251::toUtf8(kKoefCategoryTexts[row]) + "»" : std::string();
    return "Вес в строке " + std::to_string(row + 1) + category + " — не число: «" + cp1251::toUtf8(text) + "»";
}

std::optional<std::string> KoefLinesError(const std::vector<std::string>& lines) {
    for (std::size_t row = 0; row < lines.size(); ++row) {
        if (std::optional<std::string> error = KoefValueError(row, lines[row])) return error;
    }
    return std::nullopt;
}

std::vector<std::string> KoefEditorLines(const Coefficients& values, char decimalSeparator) {
    std::vector<std::string> lines;
    for (double value : values.values()) lines.push_back(FormatKoef(value, decimalSeparator));
    return lines;
}

std::optional<std::string> WriteKoef(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    const WriteResult written = WriteFileAtomically(path, JoinCrLfLines(lines));
    if (!written.ok()) return CannotSaveFileMessage("весовые коэффициенты", path, written.error);
    return std::nullopt;
}

}  // namespace settings
