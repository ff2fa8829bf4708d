// sumoran-cli collocates: the stems that occur near a node word, within a window of words inside
// one sentence, over the word occurrences of one or more pages.
#include <ostream>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "cli/commands.h"
#include "cli/comparing.h"
#include "cli/fdoutput.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "compare/collocates.h"
#include "document/collocation.h"
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
    CommandArguments common;
    std::optional<std::string_view> node;
    auto own = [&](std::string_view arg, std::optional<std::string>& message) {
        if (arg.starts_with("--node=")) {
            node = arg.substr(7);
        } else if (arg.starts_with("--span=")) {
            long long span = 0;
            message = ParseBoundedCount("--span", arg.substr(7), 1, 100, span);
            r.collocates.span = static_cast<std::size_t>(span);
        } else {
            return false;
        }
        return true;
    };
    if (auto message = ParseCommandArguments("collocates", args, own, common)) return message;
    r.format = common.format;
    r.collocates.minCount = common.minCount.value_or(r.collocates.minCount);
    r.pages = std::move(common.operands);
    if (!node) return "collocates needs --node=WORD";
    if (node->empty()) return "--node takes a word, not an empty text";
    const auto bytes = cp1251::fromUtf8Strict(*node);
    if (!bytes) return "--node: '" + ValidUtf8(*node) + "' holds characters outside Windows-1251";
    if (bytes->size() > kMaxWordLength)
        return "--node: a word of at most " + std::to_string(kMaxWordLength) + " characters, not " +
               std::to_string(bytes->size());
    r.node = *bytes;
    if (r.pages.empty()) return "collocates takes one or more pages";
    return ParseAnalysisOptions(common.analysis, r.setup);
}

std::string number(double value) { return numformat::General(value, '.'); }

void writeJson(const StemCollocates& collocates, const StemSequence& s, const CollocatesRequest& r, std::ostream& out) {
    const std::vector<Collocate>& found = collocates.found;
    out << "{\"node\": " << JsonString(cp1251::toUtf8(collocates.node)) << ", \"node_count\": " << collocates.nodeCount
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

void writeTable(const StemCollocates& collocates, const StemSequence& s, OutputFormat format, char separator,
                std::ostream& out) {
    std::vector<std::vector<std::string>> lines = {CollocateColumns()};
    for (std::vector<std::string>& row : CollocateRows(collocates, s, separator)) {
        if (format == OutputFormat::kText) row[0] = VisibleText(row[0]);
        lines.push_back(std::move(row));
    }
    WriteTable(lines, format, out);
}

}  // namespace

int RunCollocatesCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                         std::ostream& err) {
    CollocatesRequest r;
    if (auto code = StartCommand(parse(args, r), kCollocatesUsage, kCollocatesHelp, r.setup, out, err)) return *code;
    StemSequence sequence;
    const PageAnalysis analysis = PageAnalysisOf(r.setup, true);
    for (const std::string& page : r.pages) {
        if (auto message = ForEachPage(page, in, analysis, [&](const Document& doc) { sequence.add(doc); })) {
            err << MessageLine(ValidUtf8(*message));
            return kExitUnreadable;
        }
    }
    std::string lower;
    std::uint32_t code = 0;
    const StemCollocates found =
        CollocatesOf(sequence, std::string(StemWord(r.node, lower, code, r.setup.settings.stemSource)), r.collocates);
    if (r.format == OutputFormat::kJson) {
        writeJson(found, sequence, r, out);
    } else {
        const char separator = r.setup.options.decimalSeparator.value_or(settings::UserDecimalSeparator());
        writeTable(found, sequence, r.format, separator, out);
    }
    out.flush();
    if (out) return kExitOk;
    err << MessageLine(WriteFailureMessage(out));
    return kExitFailed;
}
