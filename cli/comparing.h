// What `compare` and `collocates` share: the analysis options they pass on, the settings and
// dictionary loaded once, how the pages of an input are analysed, and their tables in text, TSV
// and CSV. Texts are UTF-8.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "cli/page.h"
#include "dictstem/dictionarystems.h"
#include "reference/reference.h"

/// The analysis options a comparison accepts and passes to the analysis of each page.
inline constexpr std::string_view kAnalysisOptions[] = {
    "--content=", "--charset=", "--stems=", "--koef=", "--stopwords=", "--decimal="};

/// Whether `arg` is one of kAnalysisOptions with its value.
bool IsAnalysisOption(std::string_view arg);

/// How every page of a comparison is analysed: the options, the settings files and the dictionary.
struct AnalysisSetup {
    CliOptions options;
    PageSettings settings;
    dictstem::DictionaryLoad dictionary;
};

/// Reads the analysis options `args` (all of kAnalysisOptions) into setup.options. Returns the
/// usage message for a bad value.
std::optional<std::string> ParseAnalysisOptions(const std::vector<std::string_view>& args, AnalysisSetup& setup);

/// Loads the settings files and, for --stems=dictionary, the dictionary. Returns the message when
/// one cannot be read.
std::optional<std::string> LoadAnalysisSetup(AnalysisSetup& setup);

/// Starts a command from what reading its arguments gave (`parsed`: nothing, "help" or the usage
/// message): prints its help (`usage` and `help`) or the usage error, else loads its settings.
/// Returns the exit code when the command ends there (help, bad usage, unreadable settings), or
/// nothing to go on.
std::optional<int> StartCommand(const std::optional<std::string>& parsed, const char* usage, const char* help,
                                AnalysisSetup& setup, std::ostream& out, std::ostream& err);

/// How every page of a comparison is analysed, under the setup's options and settings;
/// `recordOccurrences` keeps the word occurrences of each page.
PageAnalysis PageAnalysisOf(const AnalysisSetup& setup, bool recordOccurrences);

/// Prints a table (its first line the header) as text with aligned columns (all but the first
/// right-aligned), as TSV, or as CSV with a byte order mark.
void WriteTable(const std::vector<std::vector<std::string>>& lines, OutputFormat format, std::ostream& out);

/// The arguments every comparison command reads alike.
struct CommandArguments {
    OutputFormat format = OutputFormat::kText;
    std::optional<long long> minCount;       // --min-count=N
    std::vector<std::string_view> analysis;  // the analysis options, for ParseAnalysisOptions
    std::vector<std::string> operands;       // the pages, directories and files named
};

/// Reads the arguments of the comparison command `name`. After "--" every argument is an operand;
/// before it, -h or --help gives "help", --format=, --min-count= (1 to 1,000,000,000) and the
/// analysis options go into `common`, and `own` reads the command's own options: it returns false
/// for an argument it does not know and sets its message for a bad value. Any other argument that
/// starts with '-' (but "-" itself) is the usage message "NAME has no option 'X'"; the rest are
/// operands. Returns "help", a usage message or nothing.
std::optional<std::string> ParseCommandArguments(
    std::string_view name, std::span<const std::string_view> args,
    const std::function<bool(std::string_view, std::optional<std::string>&)>& own, CommandArguments& common);

/// Parses the value of --format: text, tsv, csv or json; the usage message otherwise.
std::optional<std::string> ParseTableFormat(std::string_view text, OutputFormat& format);

/// Parses a whole number in [least, most] given to `option`; the usage message otherwise.
std::optional<std::string> ParseBoundedCount(std::string_view option, std::string_view text, long long least,
                                             long long most, long long& value);
