#include "cli/options.h"

#include <array>
#include <charconv>
#include <utility>

namespace {

constexpr std::array<std::pair<std::string_view, std::size_t>, 8> kLimitNames = {{
    {"none", 0},
    {"3", 1},
    {"5", 2},
    {"10", 3},
    {"5%", 4},
    {"10%", 5},
    {"20%", 6},
    {"25%", 7},
}};

constexpr std::array<std::pair<std::string_view, Section>, 6> kSectionNames = {{
    {"summary", Section::kSummary},
    {"sentences", Section::kSentences},
    {"stems", Section::kStems},
    {"words", Section::kWords},
    {"combinations", Section::kCombinations},
    {"all", Section::kAll},
}};

constexpr std::array<std::pair<std::string_view, OutputFormat>, 3> kFormatNames = {{
    {"text", OutputFormat::kText},
    {"json", OutputFormat::kJson},
    {"tsv", OutputFormat::kTsv},
}};

template <typename T, std::size_t N>
std::optional<T> lookUp(const std::array<std::pair<std::string_view, T>, N>& table, std::string_view name) {
    for (const auto& [key, value] : table) {
        if (key == name) return value;
    }
    return std::nullopt;
}

// Reads "1,4,7" into numbers; nothing for an empty item or a non-number.
std::optional<std::vector<long long>> parseOrders(std::string_view text) {
    std::vector<long long> orders;
    while (true) {
        std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        long long value = 0;
        auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || value < 0) return std::nullopt;
        orders.push_back(value);
        if (comma == std::string_view::npos) return orders;
        text.remove_prefix(comma + 1);
    }
}

}  // namespace

const char* const kCliUsage =
    "usage: sumoran-cli [OPTIONS] [FILE]\n"
    "       sumoran-cli stem WORD...\n"
    "  --format=text|json|tsv\n"
    "  --show=summary|sentences|stems|words|combinations|all\n"
    "  --limit=none|3|5|10|5%|10%|20%|25%\n"
    "  --force-headings  --force=ORDER[,ORDER...]\n"
    "  --all-types  --index-title  --index-meta  --index-img-alt\n"
    "  --stems=builtin|dictionary\n"
    "  --koef=FILE  --stopwords=FILE  --decimal=.|,\n"
    "  -h, --help  --version\n";

const char* const kCliHelp =
    "usage: sumoran-cli [OPTIONS] [FILE]\n"
    "       sumoran-cli stem WORD...\n"
    "\n"
    "Analyses one HTML file (standard input when FILE is missing or \"-\") as the desktop program\n"
    "analyses a page, and prints what its window shows right after the run. Output is UTF-8.\n"
    "The frames of a local frameset are read from their files.\n"
    "\n"
    "  --format=text|json|tsv     text (default): the summary as paragraphs, or the chosen list as\n"
    "                             aligned columns; tsv: a header line of captions, then one line\n"
    "                             per row; json: one object with every pane\n"
    "  --show=summary|sentences|stems|words|combinations|all\n"
    "                             the pane to print (default summary; json always holds everything)\n"
    "  --limit=none|3|5|10|5%|10%|20%|25%\n"
    "                             the summary's length limit, as in the limits menu (default none)\n"
    "  --force-headings           force the headings into the summary; the limit still applies\n"
    "  --force=ORDER[,ORDER...]   force the sentences with these \"Порядок\" numbers into the summary\n"
    "  --all-types                show every type of word and combination (no type filter)\n"
    "  --index-title              also index the title\n"
    "  --index-meta               also index the meta description and keywords\n"
    "  --index-img-alt            also index the image descriptions\n"
    "  --stems=builtin|dictionary the built-in stemmer (default), or the dictionary forms of the\n"
    "                             Hunspell ru_RU dictionary (Debian package hunspell-ru) where\n"
    "                             it knows the word; SUMORAN_DICTIONARY_DIR names its folder\n"
    "  --koef=FILE                the weight coefficients from FILE instead of the program's koef.dat\n"
    "  --stopwords=FILE           the stop words from FILE instead of the program's stopwords.txt\n"
    "  --decimal=.|,              the decimal separator of the output (default: your locale's)\n"
    "  -h, --help                 print this help and exit\n"
    "  --version                  print the version and exit\n"
    "\n"
    "sumoran-cli stem WORD... prints, one per line, the stem under which the analysis counts\n"
    "each word.\n"
    "\n"
    "Exit codes:\n"
    "  0  success\n"
    "  1  unreadable input or settings file, a missing dictionary, or an analysis that ran out of\n"
    "     memory\n"
    "  2  bad usage\n";

const char* const kCliVersion = "sumoran-cli " SUMORAN_VERSION;

ParsedOptions ParseCliOptions(std::span<const std::string_view> args) {
    ParsedOptions parsed;
    CliOptions& o = parsed.options;
    auto fail = [&parsed](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    for (std::string_view arg : args) {
        std::size_t eq = arg.find('=');
        std::string_view name = arg.substr(0, eq);
        std::string_view value = eq == std::string_view::npos ? std::string_view() : arg.substr(eq + 1);
        bool hasValue = eq != std::string_view::npos;
        if (name == "--format" && hasValue) {
            auto format = lookUp(kFormatNames, value);
            if (!format) return fail("unknown format '" + std::string(value) + "'");
            o.format = *format;
        } else if (name == "--show" && hasValue) {
            auto section = lookUp(kSectionNames, value);
            if (!section) return fail("unknown section '" + std::string(value) + "'");
            o.show = *section;
        } else if (name == "--limit" && hasValue) {
            auto limit = lookUp(kLimitNames, value);
            if (!limit) return fail("unknown limit '" + std::string(value) + "'");
            o.limit = *limit;
        } else if (name == "--force" && hasValue) {
            auto orders = parseOrders(value);
            if (!orders) return fail("--force takes order numbers separated by commas");
            o.forcedOrders.insert(o.forcedOrders.end(), orders->begin(), orders->end());
        } else if (name == "--stems" && hasValue) {
            if (value != "builtin" && value != "dictionary") return fail("--stems takes builtin or dictionary");
            o.dictionaryStems = value == "dictionary";
        } else if (name == "--koef" && hasValue && !value.empty()) {
            o.koefFile = value;
        } else if (name == "--stopwords" && hasValue && !value.empty()) {
            o.stopWordsFile = value;
        } else if (name == "--decimal" && hasValue) {
            if (value != "." && value != ",") return fail("--decimal takes . or ,");
            o.decimalSeparator = value[0];
        } else if (arg == "--help" || arg == "-h") {
            o.action = CliAction::kHelp;
            return parsed;
        } else if (arg == "--version") {
            o.action = CliAction::kVersion;
            return parsed;
        } else if (arg == "--force-headings") {
            o.forceHeadings = true;
        } else if (arg == "--all-types") {
            o.allTypes = true;
        } else if (arg == "--index-title") {
            o.indexTitle = true;
        } else if (arg == "--index-meta") {
            o.indexMeta = true;
        } else if (arg == "--index-img-alt") {
            o.indexImgAlt = true;
        } else if (arg.starts_with("--") || (arg.starts_with("-") && arg != "-")) {
            return fail("unknown option '" + std::string(arg) + "'");
        } else {
            if (o.inputNamed) return fail("only one file can be analysed at a time");
            o.input = arg;
            o.inputNamed = true;
        }
    }
    return parsed;
}
