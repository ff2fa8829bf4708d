// sumoran-cli aggregate: the stems and combinations of many pages' results merged into one table.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/commands.h"
#include "cli/fdoutput.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "settings/decimalseparator.h"
#include "views/delimitedtext.h"

namespace {

using nlohmann::json;

// One stem or combination over the corpus; weights in hundredths, as the lists print them, so
// that the sums are exact and do not depend on the order of the pages.
struct Total {
    long long count = 0;
    long long weight = 0;
    long long pages = 0;
    long long lastPage = -1;  // the page that last added to it, so that a page counts once
};

// What aggregate reads of a list: its key column, its count and its weight.
struct ListKind {
    const char* key;
    const char* name;
    const char* count;
    const char* weight;
};

constexpr ListKind kStems = {"stems", "Словооснова", "ЧА", "ВА"};
constexpr ListKind kCombinations = {"combinations", "Словоосновы", "ЧА", "ВП"};

// Reads a count ("12"), nothing for anything else.
std::optional<long long> parseCount(const std::string& text) {
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// Reads a weight with at most two decimals after '.' or ',' ("12,50") in hundredths.
std::optional<long long> parseHundredths(const std::string& text) {
    const std::size_t separator = text.find_first_of(".,");
    const std::string whole = text.substr(0, separator);
    const std::string part = separator == std::string::npos ? "" : text.substr(separator + 1);
    if (whole.empty() || whole.size() > 15 || part.size() > 2) return std::nullopt;
    if (whole.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    if (part.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    long long value = std::stoll(whole) * 100;
    if (!part.empty()) value += std::stoll(part) * (part.size() == 1 ? 10 : 1);
    return value;
}

using Totals = std::unordered_map<std::string, Total>;

// What adding a page's list came to.
enum class Added {
    kOk,
    kNotAResult,  // the result has no such list, or a row that is not one
    kOverflow,    // a sum would pass the largest number a count or weight holds
};

// Adds the list `kind` of one page's result to the sums.
Added addList(const json& page, const ListKind& kind, long long pageIndex, Totals& totals) {
    const auto list = page.find(kind.key);
    if (list == page.end() || !list->is_object()) return Added::kNotAResult;
    const auto columns = list->find("columns");
    const auto rows = list->find("rows");
    if (columns == list->end() || rows == list->end() || !columns->is_array() || !rows->is_array())
        return Added::kNotAResult;
    auto column = [&](const char* caption) -> std::optional<std::size_t> {
        for (std::size_t k = 0; k < columns->size(); ++k) {
            if ((*columns)[k].is_string() && (*columns)[k].get_ref<const std::string&>() == caption) return k;
        }
        return std::nullopt;
    };
    const auto name = column(kind.name), count = column(kind.count), weight = column(kind.weight);
    if (!name || !count || !weight) return Added::kNotAResult;
    for (const json& row : *rows) {
        if (!row.is_array() || row.size() != columns->size()) return Added::kNotAResult;
        for (std::size_t k : {*name, *count, *weight}) {
            if (!row[k].is_string()) return Added::kNotAResult;
        }
        const auto rowCount = parseCount(row[*count].get_ref<const std::string&>());
        const auto rowWeight = parseHundredths(row[*weight].get_ref<const std::string&>());
        if (!rowCount || !rowWeight) return Added::kNotAResult;
        Total& total = totals[row[*name].get_ref<const std::string&>()];
        if (__builtin_add_overflow(total.count, *rowCount, &total.count) ||
            __builtin_add_overflow(total.weight, *rowWeight, &total.weight))
            return Added::kOverflow;
        if (total.lastPage != pageIndex) ++total.pages;
        total.lastPage = pageIndex;
    }
    return Added::kOk;
}

// Adds the stems and combinations of one page's result; the message when it cannot.
std::optional<std::string> addPage(const json& page, long long pageIndex, Totals& stems, Totals& combinations) {
    Added added = page.is_object() ? addList(page, kStems, pageIndex, stems) : Added::kNotAResult;
    if (added == Added::kOk) added = addList(page, kCombinations, pageIndex, combinations);
    if (added == Added::kOverflow) return "a sum would pass " + std::to_string(std::numeric_limits<long long>::max());
    if (added == Added::kNotAResult) return "not a page's result of --format=jsonl";
    return std::nullopt;
}

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
    if (format != OutputFormat::kText) {
        const auto delimitedFormat = format == OutputFormat::kCsv ? delimited::Format::kCsv : delimited::Format::kTsv;
        if (format == OutputFormat::kCsv) out << "\xEF\xBB\xBF";
        for (const auto& line : lines) out << delimited::Record(line, delimitedFormat);
        return;
    }
    auto width = [](const std::string& s) {
        return static_cast<std::size_t>(std::ranges::count_if(s, [](char c) { return (c & 0xC0) != 0x80; }));
    };
    std::vector<std::size_t> widths(lines.front().size(), 0);
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], width(line[c]));
    }
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string pad(widths[c] - width(line[c]), ' ');
            if (c > 0) text += "  ";
            text += c == 0 ? line[c] + pad : pad + line[c];  // the numbers right-aligned
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    }
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
    Totals stems, combinations;
    long long pages = 0;
    for (const std::string& name : o.inputs) {
        std::ifstream file;
        if (name != "-") {
            file.open(name, std::ios::binary);
            if (!file) {
                err << MessageLine("cannot read " + name);
                return kExitUnreadable;
            }
        }
        std::istream& lines = name == "-" ? in : file;
        std::string line;
        for (std::size_t number = 1; std::getline(lines, line); ++number) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            const json page = json::parse(line, nullptr, false);
            if (page.is_object() && page.contains("error")) continue;  // an input that gave no page
            if (auto message = addPage(page, pages, stems, combinations)) {
                err << MessageLine(name + ", line " + std::to_string(number) + ": " + *message);
                return kExitUnreadable;
            }
            ++pages;
        }
        if (lines.bad()) {
            err << MessageLine("cannot read " + name);
            return kExitUnreadable;
        }
    }
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
