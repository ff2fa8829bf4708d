// The options of `sumoran-cli [OPTIONS] [FILE]`.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class OutputFormat { kText, kJson, kTsv };

/// Which of the window's panes to print.
enum class Section { kSummary, kSentences, kStems, kWords, kCombinations, kAll };

/// What the command is asked to do.
enum class CliAction { kAnalyze, kHelp, kVersion };

struct CliOptions {
    CliAction action = CliAction::kAnalyze;
    OutputFormat format = OutputFormat::kText;
    Section show = Section::kSummary;
    std::size_t limit = 0;  // item of the summary limits menu
    bool forceHeadings = false;
    std::vector<long long> forcedOrders;  // "Порядок" numbers of forced rows
    bool allTypes = false;
    bool indexTitle = false;
    bool indexMeta = false;
    bool indexImgAlt = false;
    bool dictionaryStems = false;  // --stems=dictionary
    std::string koefFile;          // empty: the program's own koef.dat
    std::string stopWordsFile;     // empty: the program's own stopwords.txt
    std::optional<char> decimalSeparator;
    std::string input = "-";  // "-" is standard input
    bool inputNamed = false;  // FILE or "-" was given
};

/// The outcome of parsing: the options, or the message for bad usage.
struct ParsedOptions {
    CliOptions options;
    std::optional<std::string> error;
};

/// Parses the arguments after the program name; "--help", "-h" or "--version" ends the parsing
/// with that action. Returns an error message for an unknown option, a bad value or more than one
/// file.
ParsedOptions ParseCliOptions(std::span<const std::string_view> args);

/// The usage text printed with a usage error.
extern const char* const kCliUsage;

/// The text "--help" prints: the usage, every option with its meaning, and the exit codes.
extern const char* const kCliHelp;

/// The text "--version" prints: "sumoran-cli <version>".
extern const char* const kCliVersion;
