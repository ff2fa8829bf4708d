// The settings the program loads at start-up, the failures that end the start-up, and those it
// starts without.
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
    std::string note;                        // UTF-8: what the window's status bar says at first; may be empty
};

/// The start-up settings, the message (UTF-8) to show before the program goes on, and the message
/// (UTF-8) to show before the program ends.
struct StartupResult {
    StartupSettings settings;
    std::optional<std::string> warning;
    std::optional<std::string> error;
};

/// The status-bar note of a start-up that could not read koef.dat (UTF-8).
inline constexpr const char* kKoefDefaultsNote =
    "Файл koef.dat не прочитан: действуют весовые коэффициенты по умолчанию";

/// Loads the stop words, the coefficients and the stop-word editor's list from `directory`, in
/// the order of the start-up. A koef.dat that cannot be read (a line that is not a number, or a
/// file that cannot be opened) gives its message as the warning, all eighteen default
/// coefficients and kKoefDefaultsNote; a stopwords.txt that cannot be opened is an error.
StartupResult LoadStartupSettings(const std::filesystem::path& directory, char decimalSeparator);
