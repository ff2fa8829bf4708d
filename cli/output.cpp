#include "cli/output.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "engine/charset.h"
#include "engine/cp1251.h"

namespace {

std::string utf8(std::string_view cp) { return cp1251::toUtf8(cp); }

std::string jsonString(std::string_view cp) {
    std::string out = "\"";
    for (char c : utf8(cp)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void writeJsonList(const ListModel& list, std::ostream& out) {
    out << "{\"columns\": [";
    for (std::size_t k = 0; k < list.columns.size(); ++k) out << (k ? ", " : "") << jsonString(list.columns[k].caption);
    out << "], \"rows\": [";
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        out << (r ? ",\n  [" : "\n  [");
        for (unsigned k = 0; k < list.columns.size(); ++k) out << (k ? ", " : "") << jsonString(list.cell(r, k));
        out << "]";
    }
    out << "], \"status\": " << jsonString(list.status.value_or("")) << "}";
}

const ListModel& listOf(const Document& doc, Section section) {
    switch (section) {
        case Section::kStems:
            return doc.wordBase;
        case Section::kWords:
            return doc.wordFull;
        case Section::kCombinations:
            return doc.wordExpr;
        default:
            return doc.sentences;
    }
}

std::string tsvCell(std::string_view cp) {
    std::string cell = utf8(cp);
    std::ranges::replace_if(cell, [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return cell;
}

void writeTsv(const ListModel& list, std::ostream& out) {
    for (std::size_t k = 0; k < list.columns.size(); ++k) out << (k ? "\t" : "") << tsvCell(list.columns[k].caption);
    out << '\n';
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        for (unsigned k = 0; k < list.columns.size(); ++k) out << (k ? "\t" : "") << tsvCell(list.cell(r, k));
        out << '\n';
    }
}

// Characters of a UTF-8 text, for column alignment.
std::size_t displayWidth(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(text, [](char c) { return (c & 0xC0) != 0x80; }));
}

// Prints the list as the window shows it: captions with the sort mark, collapsed columns left out.
void writeAlignedList(const ListModel& list, std::ostream& out) {
    std::vector<std::size_t> shown;
    for (std::size_t k = 0; k < list.columns.size(); ++k) {
        if (list.columns[k].width != 0) shown.push_back(k);
    }
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> header;
    for (std::size_t k : shown) header.push_back(utf8(list.shownCaption(static_cast<unsigned>(k))));
    lines.push_back(std::move(header));
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        std::vector<std::string> line;
        for (std::size_t k : shown) line.push_back(tsvCell(list.cell(r, static_cast<unsigned>(k))));
        lines.push_back(std::move(line));
    }
    std::vector<std::size_t> widths(shown.size(), 0);
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], displayWidth(line[c]));
    }
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < line.size(); ++c) {
            std::string pad(widths[c] - displayWidth(line[c]), ' ');
            if (c > 0) text += "  ";
            text += list.columns[shown[c]].rightAligned ? pad + line[c] : line[c] + pad;
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    }
    if (list.status) out << utf8(*list.status) << '\n';
}

void writeSummaryText(const Summary& summary, std::ostream& out) {
    for (const SummaryParagraph& p : summary.paragraphs) out << utf8(p.text) << '\n';
}

void writeSummaryTsv(const Summary& summary, std::ostream& out) {
    out << "text\tbold\n";
    for (const SummaryParagraph& p : summary.paragraphs) out << tsvCell(p.text) << '\t' << (p.bold ? 1 : 0) << '\n';
}

constexpr std::string_view kPaneCaptions[] = {u8" Автореферат"_cp, u8" Реферируемый текст"_cp, u8" Словоосновы"_cp,
                                              u8" Слова"_cp, u8" Словосочетания"_cp};

}  // namespace

void WriteJson(const Document& doc, std::ostream& out) {
    out << "{\"charset\": " << jsonString(CharsetName(doc.analysis.charsetIndex))
        << ",\n\"caption\": " << jsonString(doc.analysis.caption) << ",\n\"stems\": ";
    writeJsonList(doc.wordBase, out);
    out << ",\n\"words\": ";
    writeJsonList(doc.wordFull, out);
    out << ",\n\"combinations\": ";
    writeJsonList(doc.wordExpr, out);
    out << ",\n\"sentences\": ";
    writeJsonList(doc.sentences, out);
    out << ",\n\"summary\": {\"paragraphs\": [";
    for (std::size_t k = 0; k < doc.summary.paragraphs.size(); ++k) {
        const SummaryParagraph& p = doc.summary.paragraphs[k];
        out << (k ? ",\n  " : "\n  ") << "{\"text\": " << jsonString(p.text)
            << ", \"bold\": " << (p.bold ? "true" : "false") << "}";
    }
    out << "], \"status\": " << jsonString(doc.summary.status.value_or("")) << "}}\n";
}

void WriteSection(const Document& doc, Section section, OutputFormat format, std::ostream& out) {
    if (section == Section::kAll) {
        for (Section s : {Section::kSummary, Section::kSentences, Section::kStems, Section::kWords,
                          Section::kCombinations}) {
            out << "==" << utf8(kPaneCaptions[static_cast<int>(s)]) << " ==\n";
            WriteSection(doc, s, format, out);
            out << '\n';
        }
        return;
    }
    if (section == Section::kSummary) {
        format == OutputFormat::kTsv ? writeSummaryTsv(doc.summary, out) : writeSummaryText(doc.summary, out);
        return;
    }
    const ListModel& list = listOf(doc, section);
    format == OutputFormat::kTsv ? writeTsv(list, out) : writeAlignedList(list, out);
}
