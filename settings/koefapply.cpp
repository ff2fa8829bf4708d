#include "settings/koefapply.h"

#include "settings/koef.h"

KoefApplyResult ApplyKoefLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                               char decimalSeparator) {
    KoefApplyResult result;
    if (std::optional<std::string> error = settings::KoefLinesError(lines)) {
        result.error = std::move(error);
        return result;
    }
    if (std::optional<std::string> error = settings::WriteKoef(path, lines)) {
        result.error = std::move(error);
        return result;
    }
    result.written = true;
    settings::KoefLoadResult loaded = settings::LoadKoef(path, decimalSeparator);
    result.values = loaded.values;
    result.error = std::move(loaded.error);
    return result;
}
