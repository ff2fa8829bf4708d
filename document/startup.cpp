#include "document/startup.h"

#include "settings/koef.h"
#include "settings/settingsdir.h"
#include "settings/stopwords.h"

StartupResult LoadStartupSettings(const std::filesystem::path& directory, char decimalSeparator) {
    StartupResult result;
    StartupSettings& s = result.settings;
    s.directory = directory;
    s.stopWords = settings::LoadStopWords(directory / settings::kStopWordsFileName);
    settings::KoefLoadResult koef = settings::LoadKoef(directory / settings::kKoefFileName, decimalSeparator);
    s.koef = koef.values;
    if (koef.error) {
        // The program can work without the file: with the defaults, not with the lines read before
        // the bad one, so that the status bar's note is the whole truth.
        result.warning = std::move(koef.error);
        s.koef = Coefficients{};
        s.note = kKoefDefaultsNote;
    }
    settings::StopWordItems items = settings::ReadStopWordItems(directory / settings::kStopWordsFileName);
    if (items.error) {
        result.error = items.error;
        return result;
    }
    s.stopWordItems = std::move(items.items);
    return result;
}
