// The settings the program loads at start-up, and the failures that end the start-up.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/coefficients.h"
#include "engine/vocunit.h"

struct StartupSettings {
    std::filesystem::path directory;         // where koef.dat and stopwords.txt live
    TVocIndex stopWords;                     // the analysis' stop-word table
    Coefficients koef;                       // defaults, then koef.dat
    std::vector<std::string> stopWordItems;  // the stop-word editor's list
};

/// The start-up settings, or the message (UTF-8) to show before the program ends.
struct StartupResult {
    StartupSettings settings;
    std::optional<std::string> error;
};

/// Loads the stop words, the coefficients and the stop-word editor's list from `directory`, in
/// the order of the start-up. A bad koef.dat or a stopwords.txt that cannot be opened is an error.
StartupResult LoadStartupSettings(const std::filesystem::path& directory, char decimalSeparator);
