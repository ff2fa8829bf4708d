#include "cli/options.h"

#include <algorithm>
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

constexpr std::array<std::pair<std::string_view, Section>, 9> kSectionNames = {{
    {"summary", Section::kSummary},
    {"sentences", Section::kSentences},
    {"stems", Section::kStems},
    {"words", Section::kWords},
    {"combinations", Section::kCombinations},
    {"all", Section::kAll},
    {"text", Section::kText},
    {"metrics", Section::kMetrics},
    {"zones", Section::kZones},
}};

constexpr std::array<std::pair<std::string_view, OutputFormat>, 5> kFormatNames = {{
    {"text", OutputFormat::kText},
    {"json", OutputFormat::kJson},
    {"tsv", OutputFormat::kTsv},
    {"jsonl", OutputFormat::kJsonl},
    {"csv", OutputFormat::kCsv},
}};

// The values of --charset, read without regard to case.
constexpr std::array<std::pair<std::string_view, CharsetChoice>, 5> kCharsetNames = {{
    {"auto", CharsetChoice::kAuto},
    {"windows-1251", CharsetChoice::kWindows1251},
    {"koi8-r", CharsetChoice::kKoi8r},
    {"iso-8859-5", CharsetChoice::kIso88595},
    {"utf-8", CharsetChoice::kUtf8},
}};

constexpr std::array<std::pair<std::string_view, FramePolicy>, 3> kFrameNames = {{
    {"folder", FramePolicy::kFolder},
    {"any", FramePolicy::kAny},
    {"none", FramePolicy::kNone},
}};

constexpr std::array<std::pair<std::string_view, ContentMode>, 2> kContentNames = {{
    {"page", ContentMode::kPage},
    {"main", ContentMode::kMain},
}};

constexpr std::string_view kCharsetUsage = "--charset takes auto, windows-1251, koi8-r, iso-8859-5 or utf-8";

constexpr unsigned kMaxJobs = 256;
constexpr double kMaxTimeoutSeconds = 24 * 3600;

// Reads a whole decimal number of at most `max`; nothing for anything else.
std::optional<std::size_t> parseCount(std::string_view text, std::size_t max) {
    std::size_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

// Reads seconds such as "30" or "0.5", more than 0 and at most a day.
std::optional<double> parseSeconds(std::string_view text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(value > 0) ||
        value > kMaxTimeoutSeconds)
        return std::nullopt;
    return value;
}

template <typename T, std::size_t N>
std::optional<T> lookUp(const std::array<std::pair<std::string_view, T>, N>& table, std::string_view name) {
    for (const auto& [key, value] : table) {
        if (key == name) return value;
    }
    return std::nullopt;
}

// The charset named by `name` in any case; nothing for another name.
std::optional<CharsetChoice> parseCharset(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lookUp(kCharsetNames, lower);
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
    "usage: sumoran-cli [OPTIONS] [INPUT...]\n"
    "       sumoran-cli stem WORD...\n"
    "       sumoran-cli aggregate [--format=json|csv|tsv|text] [--show=stems|combinations] FILE.jsonl...\n"
    "  --format=text|json|tsv|csv|jsonl\n"
    "  --show=summary|sentences|stems|words|combinations|all|text|metrics|zones\n"
    "  --limit=none|3|5|10|5%|10%|20%|25%\n"
    "  --force-headings  --force=ORDER[,ORDER...]  --zones\n"
    "  --all-types  --index-title  --index-meta  --index-img-alt\n"
    "  --stems=builtin|dictionary  --charset=auto|windows-1251|koi8-r|iso-8859-5|utf-8\n"
    "  --content=page|main  --koef=FILE  --stopwords=FILE  --decimal=.|,\n"
    "  --frames=folder|any|none  --from-list=FILE  -j N, --jobs=N  --timeout=SECONDS\n"
    "  --max-bytes=N  --public-only  --quiet\n"
    "  -h, --help  --version\n";

const char* const kCliHelp =
    "usage: sumoran-cli [OPTIONS] [INPUT...]\n"
    "       sumoran-cli stem WORD...\n"
    "       sumoran-cli aggregate [--format=json|csv|tsv|text] [--show=stems|combinations] FILE.jsonl...\n"
    "\n"
    "Analyses HTML pages as the desktop program analyses a page, and prints what its window shows\n"
    "right after the run. Output is UTF-8. An INPUT is a file, a directory (searched for *.html,\n"
    "*.htm and *.xhtml below it), \"-\" for standard input (also when no INPUT is given), or an\n"
    "http:// or https:// address. The frames of a local frameset are read from their files (see\n"
    "--frames); those of a fetched page are not fetched. Only regular files are read: a FIFO, a\n"
    "device or a directory named as a page, frame, list or settings file is refused.\n"
    "One file, address or \"-\" prints that page. More inputs, a directory, a list or --format=jsonl\n"
    "make a batch: one JSON line (jsonl) or one row (csv, tsv) per page, in the order of the inputs.\n"
    "\n"
    "  --format=text|json|tsv|csv|jsonl\n"
    "                             text (default): the summary as paragraphs, or the chosen list as\n"
    "                             aligned columns; tsv, csv: a header line of captions, then one\n"
    "                             line per row; json: one object with every pane; jsonl: that\n"
    "                             object on one line per page, \"input\" first, or {\"input\", \"error\"}\n"
    "  --show=summary|sentences|stems|words|combinations|all|text|metrics|zones\n"
    "                             the pane to print (default summary; json always holds everything\n"
    "                             but the zones); in a csv or tsv batch, that pane's rows behind the\n"
    "                             input, and without --show one row of figures per page, the text\n"
    "                             figures among them; text: the text the analysis read (all of it,\n"
    "                             or the main text), paragraphs separated by an empty line, one\n"
    "                             page only; metrics: the text figures (characters, words, water,\n"
    "                             nausea, key stems) with their formulas and the checks of the page\n"
    "                             (title, description, <h1>, key stems in them); zones: each stem's\n"
    "                             count in the title, description, keywords, <h1>, <h2>-<h6>, bold,\n"
    "                             links, image descriptions and body\n"
    "  --zones                    the JSON also holds \"zones\", each stem's count by zone\n"
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
    "  --charset=auto|windows-1251|koi8-r|iso-8859-5|utf-8\n"
    "                             how every page is read (any case): auto (default) converts UTF-8\n"
    "                             and detects the single-byte charsets; a charset named here is\n"
    "                             taken as it is, for a page the detection misreads (one written\n"
    "                             mostly in capital letters)\n"
    "  --content=page|main        what of each page is analysed: page (default) all of it; main\n"
    "                             only its main text, the article without the site's menus,\n"
    "                             footers and sidebars, with its title and meta tags (a page\n"
    "                             without main text is analysed whole, with a note on standard\n"
    "                             error); the JSON then names the mode and counts the words\n"
    "  --koef=FILE                the weight coefficients from FILE instead of the program's koef.dat\n"
    "  --stopwords=FILE           the stop words from FILE instead of the program's stopwords.txt\n"
    "  --decimal=.|,              the decimal separator of the output (default: your locale's)\n"
    "  --frames=folder|any|none   which frames of a local frameset are read: folder (default) only\n"
    "                             files in the page's folder or below it, reached by a relative\n"
    "                             path and no symbolic link out of it; any: any local file; none:\n"
    "                             no frame. A frame left out is a note on standard error\n"
    "  --from-list=FILE           also the inputs in FILE (\"-\": standard input), one per line\n"
    "  -j N, --jobs=N             pages analysed at once in a batch (default: one per core)\n"
    "  --timeout=SECONDS          the most time for fetching one address (default 30)\n"
    "  --max-bytes=N              the largest page fetched or read (default 268435456)\n"
    "  --public-only              fetch only from public Internet addresses: a connection to a\n"
    "                             loopback, private, link-local, multicast or other reserved\n"
    "                             address, redirects included, is refused, and no proxy is used\n"
    "  --quiet                    no progress bar on a terminal\n"
    "  -h, --help                 print this help and exit\n"
    "  --version                  print the version and exit\n"
    "\n"
    "sumoran-cli stem WORD... prints, one per line, the stem under which the analysis counts\n"
    "each word.\n"
    "sumoran-cli aggregate merges the pages of jsonl results into one table of stems (or\n"
    "combinations): total count, summed weight, the pages holding each and their share.\n"
    "\n"
    "Exit codes:\n"
    "  0  success\n"
    "  1  unreadable input or settings file, a missing dictionary, an analysis that ran out of\n"
    "     memory, or output that cannot be written; in a batch: no input gave a page\n"
    "  2  bad usage\n"
    "  3  in a batch: some inputs gave no page\n"
    "  130, 143  a batch stopped by SIGINT or SIGTERM: it takes no more pages, and what it printed\n"
    "     ends with the last whole line or row\n";

const char* const kCliVersion = "sumoran-cli " SUMORAN_VERSION;

ParsedOptions ParseCliOptions(std::span<const std::string_view> args) {
    ParsedOptions parsed;
    CliOptions& o = parsed.options;
    auto fail = [&parsed](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    auto setJobs = [&o](std::string_view text) {
        auto jobs = parseCount(text, kMaxJobs);
        if (!jobs || *jobs == 0) return false;
        o.jobs = static_cast<unsigned>(*jobs);
        return true;
    };
    const std::string jobsMessage =
        "-j and --jobs take a number of worker threads from 1 to " + std::to_string(kMaxJobs);
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "--") {
            if (optionsEnded) o.inputs.emplace_back(arg);
            optionsEnded = true;
            continue;
        }
        // "-j N" takes the next argument; "-jN" holds it.
        if (arg.starts_with("-j")) {
            const bool separate = arg == "-j" && i + 1 < args.size();
            if (!setJobs(separate ? args[++i] : arg.substr(2))) return fail(jobsMessage);
            continue;
        }
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
            o.showNamed = true;
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
        } else if (name == "--charset") {
            auto charset = hasValue ? parseCharset(value) : std::nullopt;
            if (!charset)
                return fail((hasValue ? "unknown charset '" + std::string(value) + "': " : std::string()) +
                            std::string(kCharsetUsage));
            o.charset = *charset;
        } else if (name == "--content") {
            auto content = hasValue ? lookUp(kContentNames, value) : std::nullopt;
            if (!content) return fail("--content takes page or main");
            o.content = *content;
        } else if (name == "--koef" && hasValue && !value.empty()) {
            o.koefFile = value;
        } else if (name == "--stopwords" && hasValue && !value.empty()) {
            o.stopWordsFile = value;
        } else if (name == "--jobs" && hasValue) {
            if (!setJobs(value)) return fail(jobsMessage);
        } else if (name == "--timeout" && hasValue) {
            auto seconds = parseSeconds(value);
            if (!seconds) return fail("--timeout takes seconds, more than 0 and at most 86400");
            o.timeoutSeconds = *seconds;
        } else if (name == "--max-bytes" && hasValue) {
            auto bytes = parseCount(value, kMaxPageBytes);
            if (!bytes || *bytes == 0)
                return fail("--max-bytes takes a number of bytes from 1 to " + std::to_string(kMaxPageBytes));
            o.maxInputBytes = *bytes;
        } else if (name == "--from-list" && hasValue && !value.empty()) {
            o.lists.emplace_back(value);
        } else if (name == "--frames") {
            auto frames = hasValue ? lookUp(kFrameNames, value) : std::nullopt;
            if (!frames) return fail("--frames takes folder, any or none");
            o.frames = *frames;
        } else if (arg == "--public-only") {
            o.addresses = AddressPolicy::kPublicOnly;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (name == "--decimal" && hasValue) {
            if (value != "." && value != ",") return fail("--decimal takes . or ,");
            o.decimalSeparator = value[0];
        } else if (arg == "--help" || arg == "-h") {
            o.action = CliAction::kHelp;
            return parsed;
        } else if (arg == "--version") {
            o.action = CliAction::kVersion;
            return parsed;
        } else if (arg == "--zones") {
            o.zones = true;
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
            o.inputs.emplace_back(arg);
        }
    }
    if (std::ranges::count(o.inputs, "-") + std::ranges::count(o.lists, "-") > 1)
        return fail("standard input can be read only once");
    return parsed;
}

ParsedOptions ParseAggregateOptions(std::span<const std::string_view> args) {
    ParsedOptions parsed;
    CliOptions& o = parsed.options;
    o.show = Section::kStems;
    auto fail = [&parsed](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    for (std::string_view arg : args) {
        std::size_t eq = arg.find('=');
        std::string_view name = arg.substr(0, eq);
        std::string_view value = eq == std::string_view::npos ? std::string_view() : arg.substr(eq + 1);
        if (name == "--format" && eq != std::string_view::npos) {
            auto format = lookUp(kFormatNames, value);
            if (!format || *format == OutputFormat::kJsonl) return fail("unknown format '" + std::string(value) + "'");
            o.format = *format;
        } else if (name == "--show" && eq != std::string_view::npos) {
            auto section = lookUp(kSectionNames, value);
            if (section != Section::kStems && section != Section::kCombinations)
                return fail("aggregate shows stems or combinations");
            o.show = *section;
        } else if (name == "--decimal" && eq != std::string_view::npos) {
            if (value != "." && value != ",") return fail("--decimal takes . or ,");
            o.decimalSeparator = value[0];
        } else if (arg.starts_with("-") && arg != "-") {
            return fail("unknown option '" + std::string(arg) + "'");
        } else {
            o.inputs.emplace_back(arg);
        }
    }
    if (o.inputs.empty()) return fail("aggregate takes one or more files of --format=jsonl results");
    if (std::ranges::count(o.inputs, "-") > 1) return fail("standard input can be read only once");
    return parsed;
}
