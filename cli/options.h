// The options of `sumoran-cli [OPTIONS] [INPUT...]`.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/content.h"
#include "engine/charset.h"
#include "page/frames.h"
#include "page/netaddress.h"

enum class OutputFormat { kText, kJson, kTsv, kJsonl, kCsv };

/// Which of the window's panes to print.
enum class Section { kSummary, kSentences, kStems, kWords, kCombinations, kAll, kText, kMetrics, kZones };

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
    bool dictionaryStems = false;                  // --stems=dictionary
    CharsetChoice charset = CharsetChoice::kAuto;  // --charset: how every page is read
    std::optional<ContentMode> content;            // --content: what of each page is read; none: the page
    std::string koefFile;                          // empty: the program's own koef.dat
    std::string stopWordsFile;                     // empty: the program's own stopwords.txt
    std::optional<char> decimalSeparator;
    bool showNamed = false;           // --show was given
    bool zones = false;               // --zones: the JSON holds the stems by zone
    std::vector<std::string> inputs;  // files, directories, addresses and "-" (standard input), as given
    std::vector<std::string> lists;   // --from-list files, "-" for standard input
    unsigned jobs = 0;                // worker threads; 0: one per core
    double timeoutSeconds = 30;       // the whole fetch of one address
    std::size_t maxInputBytes = kMaxPageBytes;
    bool quiet = false;                             // no progress bar
    FramePolicy frames = FramePolicy::kFolder;      // --frames: which frames of a local frameset are read
    AddressPolicy addresses = AddressPolicy::kAny;  // --public-only: AddressPolicy::kPublicOnly

    /// Whether the options alone make a batch, where pages are read by workers and printed one line
    /// or row each: --format=jsonl, more than one input, or a list file. (A directory input makes
    /// one too.)
    bool isBatch() const { return format == OutputFormat::kJsonl || inputs.size() > 1 || !lists.empty(); }
    /// The single input of a run that is not a batch: "-" when none was given.
    std::string singleInput() const { return inputs.empty() ? "-" : inputs.front(); }
};

/// The outcome of parsing: the options, or the message for bad usage.
struct ParsedOptions {
    CliOptions options;
    std::optional<std::string> error;
};

/// Parses the arguments after the program name; "--help", "-h" or "--version" ends the parsing
/// with that action. Returns an error message for an unknown option, a bad value, or a format or
/// pane that does not fit the number of inputs.
ParsedOptions ParseCliOptions(std::span<const std::string_view> args);

/// Parses the arguments of `sumoran-cli aggregate`: --format (json, csv, tsv, text), --show (stems
/// or combinations), --decimal and the result files in `inputs`.
ParsedOptions ParseAggregateOptions(std::span<const std::string_view> args);

/// The usage text printed with a usage error.
extern const char* const kCliUsage;

/// The text "--help" prints: the usage, every option with its meaning, and the exit codes.
extern const char* const kCliHelp;

/// The text "--version" prints: "sumoran-cli <version>".
extern const char* const kCliVersion;
