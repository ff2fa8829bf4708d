#include "cli/figures_output.h"

#include <string_view>

#include "base/cp1251.h"
#include "cli/output.h"
#include "figures/figures.h"

namespace {

std::string utf8(std::string_view cp) { return cp1251::toUtf8(cp); }

// What the figures are of, empty for the whole page.
std::string_view noteOf(const Document& doc) {
    if (doc.content().mode != ContentMode::kMain) return {};
    return doc.content().found ? figures::kMainTextNote : figures::kNoMainTextNote;
}

std::string zoneCaption(std::size_t z) { return utf8(figures::kZoneCaptions[z]); }

std::string number(std::int64_t value) { return std::to_string(value); }

void appendKey(std::string& out, std::string_view key, bool first = false) {
    if (!first) out += ", ";
    out += '"';
    out += key;
    out += "\": ";
}

std::vector<figures::ZoneRow> zoneRows(const Document& doc) {
    const ListModel& stems = ListOf(doc, ResultList::kWordBase);
    std::vector<figures::ZoneRow> rows = figures::StemZoneRows(doc.analysis(), stems.rows);
    for (figures::ZoneRow& row : figures::OutsideZoneRows(doc.analysis())) rows.push_back(std::move(row));
    return rows;
}

}  // namespace

CellTable MetricsTable(const Document& doc) {
    CellTable table;
    table.captions = {utf8(u8"Показатель"_cp), utf8(u8"Значение"_cp), utf8(u8"Пояснение"_cp)};
    const figures::TextFigures f = figures::ComputeFigures(doc.analysis());
    for (const figures::FigureLine& line : figures::FigureLines(f, doc.decimalSeparator))
        table.rows.push_back({utf8(line.caption), utf8(line.value), utf8(line.hint)});
    for (const figures::PageCheck& check : figures::CheckPage(doc.analysis(), f))
        table.rows.push_back({utf8(check.caption), utf8(figures::VerdictCaption(check.verdict)), utf8(check.reason)});
    return table;
}

CellTable ZonesTable(const Document& doc) {
    CellTable table;
    table.captions.push_back(utf8(u8"Словооснова"_cp));
    for (std::size_t z = 0; z < zone::kCount; ++z) table.captions.push_back(zoneCaption(z));
    table.captions.push_back(utf8(u8"В списке"_cp));
    for (const figures::ZoneRow& row : zoneRows(doc)) {
        std::vector<std::string> cells = {utf8(row.stem)};
        for (std::int32_t count : row.counts) cells.push_back(number(count));
        cells.push_back(utf8(row.listed ? u8"да"_cp : u8"нет"_cp));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

std::string MetricsText(const Document& doc) {
    std::string text;
    if (const std::string_view note = noteOf(doc); !note.empty()) text += utf8(note) + "\n\n";
    const figures::TextFigures f = figures::ComputeFigures(doc.analysis());
    for (const figures::FigureLine& line : figures::FigureLines(f, doc.decimalSeparator))
        text += utf8(line.caption) + ": " + VisibleText(utf8(line.value)) + "\n";
    text += "\n" + utf8(u8"Проверки страницы"_cp) + ":\n";
    for (const figures::PageCheck& check : figures::CheckPage(doc.analysis(), f)) {
        text += utf8(check.caption) + ": " + utf8(figures::VerdictCaption(check.verdict)) + utf8(u8" — "_cp) +
                VisibleText(utf8(check.reason)) + "\n";
    }
    return text;
}

void AppendMetricsJson(const Document& doc, std::string& out) {
    const AnalysisState& a = doc.analysis();
    const figures::TextFigures f = figures::ComputeFigures(a);
    out += "{";
    appendKey(out, "chars_with_spaces", true);
    out += number(f.charsWithSpaces);
    appendKey(out, "chars_without_spaces");
    out += number(f.charsWithoutSpaces);
    appendKey(out, "words");
    out += number(f.words);
    appendKey(out, "unique_stems");
    out += number(f.uniqueStems);
    appendKey(out, "significant_words");
    out += number(f.significantWords);
    appendKey(out, "stop_words");
    out += number(f.stopWords);
    appendKey(out, "water_percent");
    out += figures::FormatDecimal(f.water, '.');
    appendKey(out, "nausea_classic");
    out += figures::FormatDecimal(f.nauseaClassic, '.');
    appendKey(out, "nausea_academic_percent");
    out += figures::FormatDecimal(f.nauseaAcademic, '.');
    appendKey(out, "top_stems_share_percent");
    out += figures::FormatDecimal(f.topStemsShare, '.');
    appendKey(out, "key_stems");
    out += "[";
    for (std::size_t k = 0; k < f.keyStems.size(); ++k) {
        const figures::KeyStem& key = f.keyStems[k];
        out += k ? ", {\"stem\": " : "{\"stem\": ";
        AppendJsonString(out, key.stem);
        out += ", \"count\": " + number(key.count) + ", \"weight\": " + figures::FormatDecimal(key.weight, '.') +
               ", \"density_percent\": " + figures::FormatDecimal(key.density, '.') + "}";
    }
    out += "]";
    appendKey(out, "title_length");
    out += number(static_cast<std::int64_t>(a.title ? figures::TextLength(*a.title) : 0));
    appendKey(out, "description_length");
    out += a.tally.description ? number(static_cast<std::int64_t>(figures::TextLength(*a.tally.description))) : "null";
    appendKey(out, "h1_count");
    out += number(a.tally.h1Count);
    appendKey(out, "checks");
    out += "[";
    bool first = true;
    for (const figures::PageCheck& check : figures::CheckPage(a, f)) {
        out += first ? "{\"check\": \"" : ", {\"check\": \"";
        first = false;
        out += check.id;
        out += "\", \"verdict\": \"";
        out += figures::VerdictName(check.verdict);
        out += "\", \"caption\": ";
        AppendJsonString(out, check.caption);
        out += ", \"reason\": ";
        AppendJsonString(out, check.reason);
        out += "}";
    }
    out += "]}";
}

void AppendZonesJson(const Document& doc, std::string& out, bool oneLine) {
    out += "[";
    bool first = true;
    for (const figures::ZoneRow& row : zoneRows(doc)) {
        out += first ? (oneLine ? "" : "\n  ") : (oneLine ? ", " : ",\n  ");
        first = false;
        out += "{\"stem\": ";
        AppendJsonString(out, row.stem);
        for (std::size_t z = 0; z < zone::kCount; ++z) {
            appendKey(out, figures::kZoneKeys[z]);
            out += number(row.counts[z]);
        }
        out += row.listed ? ", \"listed\": true}" : ", \"listed\": false}";
    }
    out += "]";
}

std::vector<std::string> MetricsColumns() {
    return {"chars_with_spaces",
            "chars_without_spaces",
            "unique_stems",
            "significant_words",
            "stop_words",
            "water_percent",
            "nausea_classic",
            "nausea_academic_percent",
            "top_stems_share_percent",
            "title_length",
            "description_length",
            "h1_count"};
}

std::vector<std::string> MetricsCells(const Document* doc) {
    if (!doc) return std::vector<std::string>(MetricsColumns().size());
    const AnalysisState& a = doc->analysis();
    const figures::TextFigures f = figures::ComputeFigures(a);
    const char d = doc->decimalSeparator;
    return {number(f.charsWithSpaces),
            number(f.charsWithoutSpaces),
            number(f.uniqueStems),
            number(f.significantWords),
            number(f.stopWords),
            figures::FormatDecimal(f.water, d),
            figures::FormatDecimal(f.nauseaClassic, d),
            figures::FormatDecimal(f.nauseaAcademic, d),
            figures::FormatDecimal(f.topStemsShare, d),
            number(static_cast<std::int64_t>(a.title ? figures::TextLength(*a.title) : 0)),
            a.tally.description ? number(static_cast<std::int64_t>(figures::TextLength(*a.tally.description))) : "",
            number(a.tally.h1Count)};
}
