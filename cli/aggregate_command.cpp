// sumoran-cli aggregate: the stems and combinations of many pages' results merged into one table.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/comparing.h"
#include "cli/fdoutput.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "reference/corpus.h"
#include "settings/decimalseparator.h"

namespace {

// What aggregate prints of a list: its key column, its count and its weight.
struct ListKind {
    const char* name;
    const char* count;
    const char* weight;
};

constexpr ListKind kStems = {"Словооснова", "ЧА", "ВА"};
constexpr ListKind kCombinations = {"Словоосновы", "ЧА", "ВП"};

using Total = CorpusTotal;
using Totals = CorpusTotals;

using Row = std::pair<std::string, Total>;

// The heaviest first; equal weights by count, then by text.
std::vector<Row> sorted(const Totals& totals) {
    std::vector<Row> rows(totals.begin(), totals.end());
    std::ranges::sort(rows, [](const Row& a, const Row& b) {
        if (a.second.weight != b.second.weight) return a.second.weight > b.second.weight;
        if (a.second.count != b.second.count) return a.second.count > b.second.count;
        return a.first < b.first;
    });
    return rows;
}

// A number of hundredths as "12.50" with the given separator.
std::string hundredthsText(long long value, char separator) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld%c%02lld", value / 100, separator, value % 100);
    return text;
}

// The share of pages, pages / all, in hundredths of a percent rounded half up.
long long shareOf(long long pages, long long all) { return all == 0 ? 0 : (pages * 20000 + all) / (2 * all); }

void writeJsonRows(const std::vector<Row>& rows, long long pages, std::ostream& out) {
    out << '[';
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Total& t = rows[r].second;
        const long long share = shareOf(t.pages, pages);
        char shareText[32];
        std::snprintf(shareText, sizeof shareText, "%lld.%04lld", share / 10000, share % 10000);
        out << (r ? ",\n  " : "\n  ") << "{\"text\": " << JsonString(rows[r].first) << ", \"count\": " << t.count
            << ", \"weight\": " << hundredthsText(t.weight, '.') << ", \"pages\": " << t.pages
            << ", \"share\": " << shareText << '}';
    }
    out << ']';
}

void writeTable(const std::vector<Row>& rows, const ListKind& kind, long long pages, OutputFormat format,
                char separator, std::ostream& out) {
    std::vector<std::vector<std::string>> lines = {{kind.name, kind.count, kind.weight, "Страниц", "Доля страниц, %"}};
    for (const auto& [text, t] : rows) {
        lines.push_back({VisibleText(text), std::to_string(t.count), hundredthsText(t.weight, separator),
                         std::to_string(t.pages), hundredthsText(shareOf(t.pages, pages), separator)});
    }
    WriteTable(lines, format, out);
}

}  // namespace

int RunAggregateCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                        std::ostream& err) {
    ParsedOptions parsed = ParseAggregateOptions(args);
    if (parsed.error) {
        err << MessageLine(*parsed.error) << "usage: sumoran-cli aggregate [--format=json|csv|tsv|text] "
            << "[--show=stems|combinations] [--decimal=.|,] FILE.jsonl...\n";
        return kExitUsage;
    }
    const CliOptions& o = parsed.options;
    Corpus corpus;
    for (const std::string& name : o.inputs) {
        std::ifstream file;
        if (name != "-") {
            file.open(name, std::ios::binary);
            if (!file) {
                err << MessageLine("cannot read " + name);
                return kExitUnreadable;
            }
        }
        if (auto message = AddResultLines(name == "-" ? in : file, name, corpus)) {
            err << MessageLine(*message);
            return kExitUnreadable;
        }
    }
    const CorpusTotals& stems = corpus.stems;
    const CorpusTotals& combinations = corpus.combinations;
    const long long pages = corpus.pages;
    if (o.format == OutputFormat::kJson) {
        out << "{\"pages\": " << pages << ",\n\"stems\": ";
        writeJsonRows(sorted(stems), pages, out);
        out << ",\n\"combinations\": ";
        writeJsonRows(sorted(combinations), pages, out);
        out << "}\n";
    } else {
        const bool showStems = o.show == Section::kStems;
        writeTable(sorted(showStems ? stems : combinations), showStems ? kStems : kCombinations, pages, o.format,
                   o.decimalSeparator.value_or(settings::UserDecimalSeparator()), out);
    }
    out.flush();
    if (out) return kExitOk;
    err << MessageLine(WriteFailureMessage(out));
    return kExitFailed;
}
