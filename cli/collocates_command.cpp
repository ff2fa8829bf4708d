// sumoran-cli collocates: the stems that occur near a node word, within a window of words inside
// one sentence, over the word occurrences of one or more pages.
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "cli/commands.h"
#include "cli/comparing.h"
#include "cli/fdoutput.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "compare/collocates.h"
#include "document/wordsincontext.h"
#include "engine/wordcode.h"
#include "engine/wordlists.h"
#include "settings/decimalseparator.h"

namespace {

const char* const kCollocatesUsage =
    "usage: sumoran-cli collocates --node=WORD [--span=N] [--min-count=N] [--format=text|tsv|csv|json]\n"
    "         [ANALYSIS OPTIONS] PAGE...\n";

const char* const kCollocatesHelp =
    "\n"
    "The collocates of WORD's stem: the stems within N words to its left and right inside one\n"
    "sentence, over the pages given (files, addresses, directories of pages, - for standard input),\n"
    "the greatest logDice first. Stop words are not listed, but count among the words.\n"
    "\n"
    "Options:\n"
    "  --node=WORD                the word whose stem is looked for (required)\n"
    "  --span=N                   words each side of it, 1 to 100 (default 5)\n"
    "  --min-count=N              the least number of times a collocate is seen near it (default 2)\n"
    "  --format=text|tsv|csv|json the output (default text)\n"
    "  --content=page|main, --charset=CHARSET, --stems=builtin|dictionary, --koef=FILE,\n"
    "  --stopwords=FILE, --decimal=.|,  how pages are analysed and numbers written, as for one page\n"
    "  -h, --help                 this text\n"
    "\n"
    "Columns: the stem; O, the times it is seen near the node; E = f_node * f_stem * 2N / words;\n"
    "its count; MI = log2(O / E); MI3 = log2(O^3 / E); t = (O - E) / sqrt(O); log-likelihood of the\n"
    "2x2 table; logDice = 14 + log2(2 O / (f_node + f_stem)).\n"
    "\n"
    "Exit status: 0 done, 1 an input that cannot be read or gives no page, 2 bad usage.\n";

struct CollocatesRequest {
    std::string node;  // Windows-1251
    CollocateOptions collocates;
    OutputFormat format = OutputFormat::kText;
    std::vector<std::string> pages;
    AnalysisSetup setup;
};

// Parses the arguments; "help" for --help, otherwise the usage message or nothing.
std::optional<std::string> parse(std::span<const std::string_view> args, CollocatesRequest& r) {
    std::vector<std::string_view> analysis;
    std::optional<std::string_view> node;
    bool options = true;
    for (std::string_view arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            return "help";
        } else if (options && arg.starts_with("--node=")) {
            node = arg.substr(7);
        } else if (options && arg.starts_with("--span=")) {
            long long span = 0;
            if (auto m = ParseBoundedCount("--span", arg.substr(7), 1, 100, span)) return m;
            r.collocates.span = static_cast<std::size_t>(span);
        } else if (options && arg.starts_with("--min-count=")) {
            if (auto m = ParseBoundedCount("--min-count", arg.substr(12), 1, 1'000'000'000, r.collocates.minCount))
                return m;
        } else if (options && arg.starts_with("--format=")) {
            if (auto m = ParseTableFormat(arg.substr(9), r.format)) return m;
        } else if (options && IsAnalysisOption(arg)) {
            analysis.push_back(arg);
        } else if (options && arg.starts_with("-") && arg != "-") {
            return "collocates has no option '" + ValidUtf8(arg) + "'";
        } else {
            r.pages.emplace_back(arg);
        }
    }
    if (!node) return "collocates needs --node=WORD";
    if (node->empty()) return "--node takes a word, not an empty text";
    const auto bytes = cp1251::fromUtf8Strict(*node);
    if (!bytes) return "--node: '" + ValidUtf8(*node) + "' holds characters outside Windows-1251";
    if (bytes->size() > kMaxWordLength)
        return "--node: a word of at most " + std::to_string(kMaxWordLength) + " characters, not " +
               std::to_string(bytes->size());
    r.node = *bytes;
    if (r.pages.empty()) return "collocates takes one or more pages";
    return ParseAnalysisOptions(analysis, r.setup);
}

// The occurrences of every page as one sequence over stems numbered by their text.
struct Sequence {
    std::vector<CollocateToken> tokens;
    std::vector<std::string> stems;  // text (Windows-1251) by number
    std::vector<bool> stopWords;     // by number
    std::unordered_map<std::string, std::uint32_t> numbers;
    std::uint32_t sentences = 0;  // of the pages before

    std::uint32_t numberOf(const std::string& text, bool stopWord) {
        auto [at, added] = numbers.emplace(text, static_cast<std::uint32_t>(stems.size()));
        if (added) {
            stems.push_back(text);
            stopWords.push_back(stopWord);
        }
        return at->second;
    }

    void add(const Document& doc) {
        std::unordered_map<std::int32_t, std::uint32_t> byId;
        for (const auto& entry : doc.analysis().slWordBase)
            byId.emplace(entry.desc.id, numberOf(entry.text, wordcode::isIgnored(entry.desc.code)));
        std::uint32_t last = 0;
        for (const StemOccurrence& o : StemOccurrences(doc)) {
            const auto found = byId.find(o.stem);
            const std::uint32_t number = found != byId.end() ? found->second : numberOf("", true);
            tokens.push_back({number, sentences + o.sentence});
            last = std::max(last, o.sentence);
        }
        sentences += last + 1;  // no window reaches into the next page
    }
};

std::string number(double value) { return numformat::General(value, '.'); }

void writeJson(const std::vector<Collocate>& found, const Sequence& s, const std::string& node, long long nodeCount,
               const CollocatesRequest& r, std::ostream& out) {
    out << "{\"node\": " << JsonString(cp1251::toUtf8(node)) << ", \"node_count\": " << nodeCount
        << ", \"words\": " << s.tokens.size() << ", \"span\": " << r.collocates.span << ",\n\"collocates\": [";
    for (std::size_t k = 0; k < found.size(); ++k) {
        const Collocate& c = found[k];
        const CollocateMeasures& m = c.measures;
        out << (k ? ",\n  " : "\n  ") << "{\"text\": " << JsonString(cp1251::toUtf8(s.stems[c.item]))
            << ", \"observed\": " << c.observed << ", \"expected\": " << number(m.expected)
            << ", \"count\": " << c.itemCount << ", \"mi\": " << number(m.mi) << ", \"mi3\": " << number(m.mi3)
            << ", \"t\": " << number(m.tScore) << ", \"ll\": " << number(m.logLikelihood)
            << ", \"log_dice\": " << number(m.logDice) << '}';
    }
    out << "]}\n";
}

void writeTable(const std::vector<Collocate>& found, const Sequence& s, OutputFormat format, char separator,
                std::ostream& out) {
    std::vector<std::vector<std::string>> lines = {{"Словооснова", "O", "E", "ЧА", "MI", "MI3", "t", "LL", "logDice"}};
    for (const Collocate& c : found) {
        const CollocateMeasures& m = c.measures;
        const std::string text = cp1251::toUtf8(s.stems[c.item]);
        lines.push_back({format == OutputFormat::kText ? VisibleText(text) : text, std::to_string(c.observed),
                         numformat::Fixed2(m.expected, separator), std::to_string(c.itemCount),
                         numformat::Fixed2(m.mi, separator), numformat::Fixed2(m.mi3, separator),
                         numformat::Fixed2(m.tScore, separator), numformat::Fixed2(m.logLikelihood, separator),
                         numformat::Fixed2(m.logDice, separator)});
    }
    WriteTable(lines, format, out);
}

}  // namespace

int RunCollocatesCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                         std::ostream& err) {
    CollocatesRequest r;
    if (auto code = StartCommand(parse(args, r), kCollocatesUsage, kCollocatesHelp, r.setup, out, err)) return *code;
    Sequence sequence;
    for (const std::string& page : r.pages) {
        if (auto message = ForEachPage(page, in, r.setup, true, [&](const Document& doc) { sequence.add(doc); })) {
            err << MessageLine(*message);
            return kExitUnreadable;
        }
    }
    std::string lower;
    std::uint32_t code = 0;
    const std::string node(StemWord(r.node, lower, code, r.setup.settings.stemSource));
    const auto number = sequence.numbers.find(node);
    std::vector<Collocate> found;
    long long nodeCount = 0;
    if (number != sequence.numbers.end()) {
        found = FindCollocates(sequence.tokens, number->second, r.collocates, sequence.stopWords);
        for (const CollocateToken& t : sequence.tokens) nodeCount += t.item == number->second ? 1 : 0;
    }
    if (r.format == OutputFormat::kJson) {
        writeJson(found, sequence, node, nodeCount, r, out);
    } else {
        const char separator = r.setup.options.decimalSeparator.value_or(settings::UserDecimalSeparator());
        writeTable(found, sequence, r.format, separator, out);
    }
    out.flush();
    if (out) return kExitOk;
    err << MessageLine(WriteFailureMessage(out));
    return kExitFailed;
}
