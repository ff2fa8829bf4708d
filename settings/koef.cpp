#include "settings/koef.h"

#include "engine/numformat.h"
#include "settings/textfile.h"

namespace settings {

KoefLoadResult ParseKoef(std::string_view fileBytes, char decimalSeparator) {
    KoefLoadResult result;
    std::vector<std::string> lines = SplitTextLines(fileBytes);
    if (lines.size() != Coefficients::kCount) return result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<double> value = numformat::ParseFloat(lines[i], decimalSeparator);
        if (!value) {
            result.error = "'" + lines[i] + "' is not a valid floating point value";
            return result;
        }
        result.values.at(i) = *value;
    }
    return result;
}

KoefLoadResult LoadKoef(const std::filesystem::path& path, char decimalSeparator) {
    FileBytes file = ReadFileBytes(path);
    if (file.status == ReadStatus::kMissing) return {};
    if (file.status == ReadStatus::kUnreadable) return {Coefficients{}, CannotOpenFileMessage(path)};
    return ParseKoef(file.bytes, decimalSeparator);
}

std::string FormatKoef(double value, char decimalSeparator) { return numformat::General(value, decimalSeparator); }

std::vector<std::string> KoefEditorLines(const Coefficients& values, char decimalSeparator) {
    std::vector<std::string> lines;
    for (double value : values.values()) lines.push_back(FormatKoef(value, decimalSeparator));
    return lines;
}

std::optional<std::string> WriteKoef(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    if (!WriteFileAtomically(path, JoinCrLfLines(lines))) return CannotCreateFileMessage(path);
    return std::nullopt;
}

}  // namespace settings
