#include "cli/rows.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "base/cp1251.h"
#include "cli/figures_output.h"
#include "cli/output.h"
#include "engine/charset.h"
#include "views/delimitedtext.h"

namespace {

// A cell as TSV output shows it: tabs and line ends as spaces, control characters escaped.
std::string cellOf(std::string_view cp) {
    std::string text = cp1251::toUtf8(cp);
    std::ranges::replace_if(
        text, [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return VisibleText(text);
}

std::string nameCell(std::string_view input) {
    std::string text = ValidUtf8(input);
    std::ranges::replace_if(
        text, [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return VisibleText(text);
}

delimited::Format delimitedFormat(OutputFormat format) {
    return format == OutputFormat::kCsv ? delimited::Format::kCsv : delimited::Format::kTsv;
}

// The table of the metrics or the zones; nothing for another pane.
std::optional<CellTable> figuresTable(const Document& doc, Section section) {
    if (section == Section::kMetrics) return MetricsTable(doc);
    if (section == Section::kZones) return ZonesTable(doc);
    return std::nullopt;
}

// The captions of a pane, every column of a list or the summary's two.
std::vector<std::string> captionsOf(const Document& doc, Section section) {
    if (auto table = figuresTable(doc, section)) {
        std::vector<std::string> cells;
        for (const std::string& caption : table->captions) cells.push_back(cellOf(cp1251::fromUtf8Lossy(caption)));
        return cells;
    }
    const ListModel* list = ListOfSection(doc, section);
    if (!list) return {"text", "bold"};
    std::vector<std::string> cells;
    for (const ListColumn& column : list->columns) cells.push_back(cellOf(column.caption));
    return cells;
}

// Appends the pane's rows as exports write them (shares in full), each behind `prefix` cells.
void appendRows(const Document& doc, Section section, const std::vector<std::string>& prefix, delimited::Format format,
                std::string& text) {
    std::vector<std::string> cells;
    if (auto table = figuresTable(doc, section)) {
        for (const auto& row : table->rows) {
            cells = prefix;
            for (const std::string& cell : row) cells.push_back(cellOf(cp1251::fromUtf8Lossy(cell)));
            text += delimited::Record(cells, format);
        }
        return;
    }
    if (const ListModel* list = ListOfSection(doc, section)) {
        for (std::size_t r = 0; r < list->rows.size(); ++r) {
            cells = prefix;
            for (unsigned k = 0; k < list->columns.size(); ++k) cells.push_back(cellOf(list->exportCell(r, k)));
            text += delimited::Record(cells, format);
        }
        return;
    }
    for (const SummaryParagraph& p : doc.summary.paragraphs) {
        cells = prefix;
        cells.push_back(cellOf(p.text));
        cells.push_back(p.bold ? "1" : "0");
        text += delimited::Record(cells, format);
    }
}

// The length of the valid UTF-8 sequence at the start of `text`, 0 when there is none.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto c = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    unsigned min = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF)
        length = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        length = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        length = 4, min = 0x10000;
    else
        return 0;
    if (text.size() < length) return 0;
    unsigned code = c & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0) {
            out += "\uFFFD";
            text.remove_prefix(1);
            continue;
        }
        out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

std::string JsonLine(const Document& doc, std::string_view input, bool withContent, bool withZones) {
    std::ostringstream line;
    WriteJson(doc, line, input, withContent, withZones);
    return std::move(line).str();
}

std::string JsonErrorLine(std::string_view input, std::string_view error) {
    return "{\"input\": " + JsonString(ValidUtf8(input)) + ", \"error\": " + JsonString(ValidUtf8(error)) + "}\n";
}

std::string FiguresHeader(OutputFormat format) {
    std::vector<std::string> cells = {"input",        "charset", "sentences", "words", "stems",
                                      "combinations", "summary", "seconds",   "error"};
    for (std::string& column : MetricsColumns()) cells.push_back(std::move(column));
    return delimited::Record(cells, delimitedFormat(format));
}

std::string FiguresRow(const Document* doc, double seconds, std::string_view input, std::string_view error,
                       OutputFormat format) {
    // The text figures follow the error, so that the columns before it keep their places.
    const auto withMetrics = [doc](std::vector<std::string> cells) {
        for (std::string& cell : MetricsCells(doc)) cells.push_back(std::move(cell));
        return cells;
    };
    if (!doc)
        return delimited::Record(withMetrics({nameCell(input), "", "", "", "", "", "", "", nameCell(error)}),
                                 delimitedFormat(format));
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds);
    std::string timeText = time;
    std::ranges::replace(timeText, '.', doc->decimalSeparator);
    const AnalysisState& a = doc->analysis();
    return delimited::Record(
        withMetrics({nameCell(input), cellOf(CharsetName(a.charsetIndex)), std::to_string(doc->sentences.rows.size()),
                     std::to_string(static_cast<long long>(a.wfTotals.totalCount)), std::to_string(a.slWordBase.size()),
                     std::to_string(a.slWordExpr.size()), std::to_string(doc->summary.paragraphs.size()), timeText,
                     ""}),
        delimitedFormat(format));
}

std::string PaneHeader(Section section, OutputFormat format) {
    static const Document empty;
    std::vector<std::string> cells = {"input"};
    for (std::string& caption : captionsOf(empty, section)) cells.push_back(std::move(caption));
    return delimited::Record(cells, delimitedFormat(format));
}

std::string PaneRows(const Document& doc, Section section, std::string_view input, OutputFormat format) {
    std::string text;
    appendRows(doc, section, {nameCell(input)}, delimitedFormat(format), text);
    return text;
}

void WriteCsvSection(const Document& doc, Section section, std::ostream& out) {
    std::string text = "\xEF\xBB\xBF" + delimited::Record(captionsOf(doc, section), delimited::Format::kCsv);
    appendRows(doc, section, {}, delimited::Format::kCsv, text);
    out << text;
}
