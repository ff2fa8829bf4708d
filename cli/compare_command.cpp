// sumoran-cli compare: the key words of a target (a page, a directory or a batch's JSON Lines)
// against a reference made of one or more of them.
#include <ostream>
#include <string>
#include <vector>

#include "base/numformat.h"
#include "cli/commands.h"
#include "cli/comparing.h"
#include "cli/fdoutput.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "compare/keywords.h"
#include "settings/decimalseparator.h"

namespace {

const char* const kCompareUsage =
    "usage: sumoran-cli compare [--show=stems|combinations] [--min-count=N] [--p=0.05|0.01|0.001|0.0001]\n"
    "         [--bonferroni] [--smoothing=N] [--format=text|tsv|csv|json] [ANALYSIS OPTIONS] TARGET REFERENCE...\n";

const char* const kCompareHelp =
    "\n"
    "The key words of TARGET against REFERENCE: the stems (or combinations) more frequent in the\n"
    "target (+) and in the reference (-), significant by log-likelihood, the greatest first. Each\n"
    "side is a page (a file, an address or - for standard input), a directory of pages, or the\n"
    "JSON Lines of a batch (a file named *.jsonl, every page summed as aggregate sums them); the\n"
    "references are summed into one. A side's words are the sum of its stems' counts.\n"
    "\n"
    "Options:\n"
    "  --show=stems|combinations  what is compared (default stems)\n"
    "  --min-count=N              the least count of a key word on its side (default 2)\n"
    "  --p=0.05|0.01|0.001|0.0001 the significance level (default 0.01): log-likelihood at least\n"
    "                             3.84, 6.63, 10.83 or 15.13\n"
    "  --bonferroni               divide the level by the number of items compared\n"
    "  --smoothing=N              the constant of simple maths, (fpm1 + N) / (fpm2 + N) (default 1)\n"
    "  --format=text|tsv|csv|json the output (default text)\n"
    "  --content=page|main, --charset=CHARSET, --stems=builtin|dictionary, --koef=FILE,\n"
    "  --stopwords=FILE, --decimal=.|,  how pages are analysed and numbers written, as for one page\n"
    "  -h, --help                 this text\n"
    "\n"
    "Columns: the item, the side (+ or -), its count and frequency per million words in the target\n"
    "and in the reference, log-likelihood (LL), the strictest level it passes (p <), Log Ratio\n"
    "(binary log of the ratio of relative frequencies, a zero count taken as 0.5), %DIFF (inf when\n"
    "the reference lacks the item) and simple maths.\n"
    "\n"
    "Exit status: 0 done, 1 an input that cannot be read or gives no page, or a side without a word,\n"
    "2 bad usage.\n";

// What the command was asked.
struct CompareRequest {
    Section show = Section::kStems;
    OutputFormat format = OutputFormat::kText;
    KeywordOptions keywords;
    std::vector<std::string> sides;
    AnalysisSetup setup;
};

std::optional<std::string> parseLevel(std::string_view text, double& p) {
    for (std::size_t k = 0; k < std::size(kSignificanceLevels); ++k) {
        if (numformat::ParseFloat(text, '.') == kSignificanceLevels[k] &&
            text.find_first_not_of("0123456789.") == std::string_view::npos) {
            p = kSignificanceLevels[k];
            return std::nullopt;
        }
    }
    return "--p takes 0.05, 0.01, 0.001 or 0.0001, not '" + ValidUtf8(text) + "'";
}

// Parses the arguments; "help" for --help, otherwise the usage message or nothing.
std::optional<std::string> parse(std::span<const std::string_view> args, CompareRequest& r) {
    CommandArguments common;
    auto own = [&](std::string_view arg, std::optional<std::string>& message) {
        if (arg == "--show=stems") {
            r.show = Section::kStems;
        } else if (arg == "--show=combinations") {
            r.show = Section::kCombinations;
        } else if (arg.starts_with("--p=")) {
            message = parseLevel(arg.substr(4), r.keywords.p);
        } else if (arg == "--bonferroni") {
            r.keywords.bonferroni = true;
        } else if (arg.starts_with("--smoothing=")) {
            const auto k = numformat::ParseFloat(arg.substr(12), '.');
            if (!k || !(*k > 0) || *k > 1e9 || arg.substr(12).find_first_of(" \teE") != std::string_view::npos)
                message = "--smoothing takes a number above 0 and at most 1000000000, not '" +
                          ValidUtf8(arg.substr(12)) + "'";
            else
                r.keywords.smoothing = *k;
        } else {
            return false;
        }
        return true;
    };
    if (auto message = ParseCommandArguments("compare", args, own, common)) return message;
    r.format = common.format;
    r.keywords.minCount = common.minCount.value_or(r.keywords.minCount);
    r.sides = std::move(common.operands);
    if (r.sides.size() < 2) return "compare takes a target and at least one reference";
    return ParseAnalysisOptions(common.analysis, r.setup);
}

void writeTable(const Keywords& k, Section show, OutputFormat format, char separator, std::ostream& out) {
    std::vector<std::vector<std::string>> lines = {
        KeywordColumns(show == Section::kStems ? CompareItems::kStems : CompareItems::kCombinations)};
    for (std::vector<std::string>& row : KeywordRows(k, separator)) {
        if (format == OutputFormat::kText) row[0] = VisibleText(row[0]);
        lines.push_back(std::move(row));
    }
    WriteTable(lines, format, out);
}

std::string number(double value) { return numformat::General(value, '.'); }

void writeJsonList(const std::vector<Keyword>& list, std::ostream& out) {
    out << '[';
    for (std::size_t r = 0; r < list.size(); ++r) {
        const Keyword& w = list[r];
        const KeyMeasures& m = w.measures;
        const auto level = SignificanceOf(m.logLikelihood);
        out << (r ? ",\n  " : "\n  ") << "{\"text\": " << JsonString(w.item) << ", \"target\": " << w.target
            << ", \"target_fpm\": " << number(m.fpmTarget) << ", \"reference\": " << w.reference
            << ", \"reference_fpm\": " << number(m.fpmReference) << ", \"ll\": " << number(m.logLikelihood)
            << ", \"p\": " << (level ? number(*level) : "null") << ", \"log_ratio\": " << number(m.logRatio)
            << ", \"percent_diff\": " << (m.percentDiff ? number(*m.percentDiff) : "null")
            << ", \"simple_maths\": " << number(m.simpleMaths) << '}';
    }
    out << ']';
}

void writeJson(const Keywords& k, const CompareRequest& r, const Corpus& target, const Corpus& reference,
               std::ostream& out) {
    out << "{\"show\": \"" << (r.show == Section::kStems ? "stems" : "combinations")
        << "\", \"target\": {\"pages\": " << target.pages << ", \"words\": " << WordsOf(target)
        << "}, \"reference\": {\"pages\": " << reference.pages << ", \"words\": " << WordsOf(reference)
        << "},\n\"p\": " << number(r.keywords.p) << ", \"bonferroni\": " << (r.keywords.bonferroni ? "true" : "false")
        << ", \"compared\": " << k.compared << ", \"critical_value\": " << number(k.criticalValue)
        << ",\n\"positive\": ";
    writeJsonList(k.positive, out);
    out << ",\n\"negative\": ";
    writeJsonList(k.negative, out);
    out << "}\n";
}

}  // namespace

int RunCompareCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
    CompareRequest r;
    if (auto code = StartCommand(parse(args, r), kCompareUsage, kCompareHelp, r.setup, out, err)) return *code;
    Corpus target, reference;
    const PageAnalysis analysis = PageAnalysisOf(r.setup, false);
    for (std::size_t k = 0; k < r.sides.size(); ++k) {
        if (auto message = AddInput(r.sides[k], in, analysis, k == 0 ? target : reference)) {
            err << MessageLine(ValidUtf8(*message));
            return kExitUnreadable;
        }
    }
    // A side without a word has no frequencies: nothing can be compared with it.
    for (const auto& [side, name] : {std::pair{&target, "the target"}, std::pair{&reference, "the reference"}}) {
        if (WordsOf(*side) == 0) {
            err << MessageLine(std::string(name) + " has no words to compare");
            return kExitUnreadable;
        }
    }
    const Keywords k = CompareCorpora(
        target, reference, r.show == Section::kStems ? CompareItems::kStems : CompareItems::kCombinations, r.keywords);
    if (r.format == OutputFormat::kJson) {
        writeJson(k, r, target, reference, out);
    } else {
        const char separator = r.setup.options.decimalSeparator.value_or(settings::UserDecimalSeparator());
        writeTable(k, r.show, r.format, separator, out);
    }
    out.flush();
    if (out) return kExitOk;
    err << MessageLine(WriteFailureMessage(out));
    return kExitFailed;
}
