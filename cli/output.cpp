#include "cli/output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "cli/figures_output.h"
#include "cli/rows.h"
#include "engine/charset.h"

namespace {

std::string utf8(std::string_view cp) { return cp1251::toUtf8(cp); }

// The code point of the control character at `i` of UTF-8 text (C0, DEL or C1, which UTF-8
// writes as 0xC2 0x80..0x9F), or -1; `length` is set to its bytes.
int controlAt(std::string_view text, std::size_t i, std::size_t& length) {
    const auto c = static_cast<unsigned char>(text[i]);
    length = 1;
    if (c < 0x20 || c == 0x7F) return c;
    if (c != 0xC2 || i + 1 >= text.size()) return -1;
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if (next < 0x80 || next > 0x9F) return -1;
    length = 2;
    return next;
}

void appendHex(std::string& out, const char* format, int codePoint) {
    char buf[8];
    std::snprintf(buf, sizeof buf, format, static_cast<unsigned>(codePoint));
    out += buf;
}

std::string cellText(std::string_view cp) {
    std::string text = utf8(cp);
    std::ranges::replace_if(
        text, [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return VisibleText(text);
}

// The JSON string text of each Windows-1251 byte: its UTF-8 form, or its escape (the same as
// JsonString gives for that UTF-8).
struct JsonBytes {
    std::array<std::array<char, 6>, 256> text{};
    std::array<unsigned char, 256> size{};
};

constexpr JsonBytes makeJsonBytes() {
    JsonBytes table;
    constexpr std::string_view kHex = "0123456789abcdef";
    for (int b = 0; b < 256; ++b) {
        auto& text = table.text[b];
        unsigned char& size = table.size[b];
        const char32_t cp = cp1251::codePointOf(static_cast<unsigned char>(b));
        auto put = [&](char c) { text[size++] = c; };
        if (cp == '\n' || cp == '\r' || cp == '\t') {
            put('\\'), put(cp == '\n' ? 'n' : cp == '\r' ? 'r' : 't');
        } else if (cp < 0x20 || cp == 0x7F) {
            for (char c : {'\\', 'u', '0', '0', kHex[cp >> 4], kHex[cp & 0xF]}) put(c);
        } else if (cp == '"' || cp == '\\') {
            put('\\'), put(static_cast<char>(cp));
        } else if (cp < 0x80) {
            put(static_cast<char>(cp));
        } else if (cp < 0x800) {
            put(static_cast<char>(0xC0 | (cp >> 6))), put(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            put(static_cast<char>(0xE0 | (cp >> 12))), put(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            put(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return table;
}

constexpr JsonBytes kJsonBytes = makeJsonBytes();

// The most bytes the JSON string of `n` Windows-1251 bytes takes while putJsonString writes it:
// the quotes, and 6 bytes for each byte's text, copied whole.
constexpr std::size_t jsonRoom(std::size_t n) { return 6 * n + 2; }

// Writes a Windows-1251 text as a JSON string literal at `o`, which has jsonRoom(cp.size())
// bytes; returns the end of what it wrote. Each byte's text is copied whole, with room behind the
// last one: what passes its size is overwritten by the next or left behind the end.
char* putJsonString(char* o, std::string_view cp) {
    *o++ = '"';
    for (char c : cp) {
        const auto b = static_cast<unsigned char>(c);
        std::memcpy(o, kJsonBytes.text[b].data(), sizeof kJsonBytes.text[b]);
        o += kJsonBytes.size[b];
    }
    *o++ = '"';
    return o;
}

// JSON text made in memory and handed to the stream in large pieces: a page's lists make
// millions of short strings, and a stream write for each would cost more than making them. The
// text is written straight into a buffer of fixed size, which is handed on when the next piece
// might not fit, so that no piece is measured before it is written.
class JsonOut {
  public:
    explicit JsonOut(std::ostream& out) : out_(out), buffer_(kBufferSize, '\0') {}
    JsonOut(const JsonOut&) = delete;
    JsonOut& operator=(const JsonOut&) = delete;
    ~JsonOut() { flush(); }

    JsonOut& operator<<(std::string_view text) {
        makeRoom(text.size());
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
        return *this;
    }

    // A Windows-1251 text as a JSON string literal.
    void string(std::string_view cp) {
        makeRoom(jsonRoom(cp.size()));
        char* const start = buffer_.data();
        used_ = static_cast<std::size_t>(putJsonString(start + used_, cp) - start);
    }

    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

  private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

    // Makes room for `bytes` more bytes behind the text held, handing that text on when needed.
    void makeRoom(std::size_t bytes) {
        if (buffer_.size() - used_ >= bytes) return;
        flush();
        if (buffer_.size() < bytes) buffer_.resize(bytes);
    }

    std::ostream& out_;
    std::string buffer_;  // the first used_ bytes are the text not yet handed on
    std::size_t used_ = 0;
};

// Where a JSON value breaks its line: a line end and an indent, or on one line nothing at all.
struct JsonBreaks {
    bool oneLine = false;
    std::string_view next() const { return oneLine ? ", " : ",\n"; }    // between the document's fields
    std::string_view first() const { return oneLine ? "" : "\n  "; }    // before an array's first item
    std::string_view item() const { return oneLine ? ", " : ",\n  "; }  // between an array's items
};

void writeJsonList(const ListModel& list, JsonOut& out, JsonBreaks breaks) {
    out << "{\"columns\": [";
    for (std::size_t k = 0; k < list.columns.size(); ++k) {
        out << (k ? ", " : "");
        out.string(list.columns[k].caption);
    }
    out << "], \"rows\": [";
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        out << (r ? breaks.item() : breaks.first()) << "[";
        for (unsigned k = 0; k < list.columns.size(); ++k) {
            out << (k ? ", " : "");
            out.string(list.cell(r, k));
        }
        out << "]";
    }
    out << "], \"status\": ";
    out.string(list.status.value_or(""));
    out << "}";
}

void writeTsv(const ListModel& list, std::ostream& out) {
    for (std::size_t k = 0; k < list.columns.size(); ++k) out << (k ? "\t" : "") << cellText(list.columns[k].caption);
    out << '\n';
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        for (unsigned k = 0; k < list.columns.size(); ++k) out << (k ? "\t" : "") << cellText(list.exportCell(r, k));
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
    for (std::size_t k : shown) header.push_back(cellText(list.shownCaption(static_cast<unsigned>(k))));
    lines.push_back(std::move(header));
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        std::vector<std::string> line;
        for (std::size_t k : shown) line.push_back(cellText(list.cell(r, static_cast<unsigned>(k))));
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
    if (list.status) out << VisibleText(utf8(*list.status)) << '\n';
}

// A table of UTF-8 cells as TSV: tabs and line ends in a cell as spaces, controls escaped.
void writeTableTsv(const CellTable& table, std::ostream& out) {
    const auto cell = [](std::string text) {
        std::ranges::replace_if(
            text, [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
        return VisibleText(text);
    };
    for (std::size_t k = 0; k < table.captions.size(); ++k) out << (k ? "\t" : "") << cell(table.captions[k]);
    out << '\n';
    for (const auto& row : table.rows) {
        for (std::size_t k = 0; k < row.size(); ++k) out << (k ? "\t" : "") << cell(row[k]);
        out << '\n';
    }
}

// A table of UTF-8 cells in aligned columns, the first column left-aligned and the others right.
void writeAlignedTable(const CellTable& table, std::ostream& out) {
    std::vector<std::size_t> widths(table.captions.size(), 0);
    const auto measure = [&](const std::vector<std::string>& row) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(VisibleText(row[c])));
    };
    measure(table.captions);
    for (const auto& row : table.rows) measure(row);
    const auto print = [&](const std::vector<std::string>& row) {
        std::string text;
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            const std::string cell = VisibleText(row[c]);
            const std::string pad(widths[c] - displayWidth(cell), ' ');
            if (c > 0) text += "  ";
            text += c == 0 ? cell + pad : pad + cell;
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    };
    print(table.captions);
    for (const auto& row : table.rows) print(row);
}

void writeSummaryText(const Summary& summary, std::ostream& out) {
    for (const SummaryParagraph& p : summary.paragraphs) out << VisibleText(utf8(p.text)) << '\n';
}

void writeSummaryTsv(const Summary& summary, std::ostream& out) {
    out << "text\tbold\n";
    for (const SummaryParagraph& p : summary.paragraphs) out << cellText(p.text) << '\t' << (p.bold ? 1 : 0) << '\n';
}

constexpr std::string_view kPaneCaptions[] = {u8" Автореферат"_cp, u8" Реферируемый текст"_cp, u8" Словоосновы"_cp,
                                              u8" Слова"_cp, u8" Словосочетания"_cp};

}  // namespace

std::string VisibleText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0, length = 1; i < utf8.size(); i += length) {
        const int control = controlAt(utf8, i, length);
        if (control == '\t' || control == '\n' || control == -1) {
            if (utf8[i] == '\\') out += '\\';
            out.append(utf8.substr(i, length));
        } else {
            appendHex(out, "\\x%02x", control);
        }
    }
    return out;
}

std::string TerminalText(std::string_view bytes) {
    const std::string utf8 = ValidUtf8(bytes);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0, length = 1; i < utf8.size(); i += length) {
        const int control = controlAt(utf8, i, length);
        if (control != -1) {
            appendHex(out, "\\x%02x", control);
            continue;
        }
        if (utf8[i] == '\\') out += '\\';
        out.append(utf8.substr(i, length));
    }
    return out;
}

std::string MessageLine(std::string_view message) { return "sumoran-cli: " + TerminalText(message) + "\n"; }

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t i = 0, length = 1; i < utf8.size(); i += length) {
        const int control = controlAt(utf8, i, length);
        if (control == '\n') {
            out += "\\n";
        } else if (control == '\r') {
            out += "\\r";
        } else if (control == '\t') {
            out += "\\t";
        } else if (control != -1) {
            appendHex(out, "\\u%04x", control);
        } else if (utf8[i] == '"' || utf8[i] == '\\') {
            out += '\\';
            out += utf8[i];
        } else {
            out += utf8[i];
        }
    }
    return out + "\"";
}

void AppendJsonString(std::string& out, std::string_view cp) {
    std::size_t size = 2;
    for (char c : cp) size += kJsonBytes.size[static_cast<unsigned char>(c)];
    const std::size_t at = out.size();
    out.resize(at + size + sizeof kJsonBytes.text[0]);
    putJsonString(out.data() + at, cp);
    out.resize(at + size);
}

void WriteJson(const Document& doc, std::ostream& stream, std::optional<std::string_view> lineInput, bool withContent,
               bool withZones) {
    JsonOut out(stream);
    const JsonBreaks breaks{lineInput.has_value()};
    out << "{";
    if (lineInput) out << "\"input\": " << JsonString(ValidUtf8(*lineInput)) << ", ";
    out << "\"charset\": ";
    out.string(CharsetName(doc.analysis().charsetIndex));
    out << breaks.next() << "\"page_encoding\": ";
    out.string(CharsetChoiceName(doc.analysis().pageEncoding));
    if (withContent) {
        const ContentReport& content = doc.content();
        out << breaks.next() << "\"content\": \"" << ContentModeName(content.mode) << "\"";
        if (content.mode == ContentMode::kMain) {
            out << breaks.next() << "\"main_text_words\": " << std::to_string(content.mainWords);
            out << breaks.next() << "\"page_words\": " << std::to_string(content.pageWords);
        }
    }
    out << breaks.next() << "\"caption\": ";
    out.string(WindowCaption(doc.analysis()));
    out << breaks.next() << "\"stems\": ";
    writeJsonList(ListOf(doc, ResultList::kWordBase), out, breaks);
    out << breaks.next() << "\"words\": ";
    writeJsonList(ListOf(doc, ResultList::kWordFull), out, breaks);
    out << breaks.next() << "\"combinations\": ";
    writeJsonList(ListOf(doc, ResultList::kWordExpr), out, breaks);
    out << breaks.next() << "\"sentences\": ";
    writeJsonList(doc.sentences, out, breaks);
    out << breaks.next() << "\"summary\": {\"paragraphs\": [";
    for (std::size_t k = 0; k < doc.summary.paragraphs.size(); ++k) {
        const SummaryParagraph& p = doc.summary.paragraphs[k];
        out << (k ? breaks.item() : breaks.first()) << "{\"text\": ";
        out.string(p.text);
        out << ", \"bold\": " << (p.bold ? "true" : "false") << "}";
    }
    out << "], \"status\": ";
    out.string(doc.summary.status.value_or(""));
    out << "}" << breaks.next() << "\"metrics\": ";
    std::string figures;
    AppendMetricsJson(doc, figures);
    if (withZones) {
        figures += breaks.next();
        figures += "\"zones\": ";
        AppendZonesJson(doc, figures, breaks.oneLine);
    }
    out << figures << "}\n";
}

const ListModel* ListOfSection(const Document& doc, Section section) {
    switch (section) {
        case Section::kStems:
            return &ListOf(doc, ResultList::kWordBase);
        case Section::kWords:
            return &ListOf(doc, ResultList::kWordFull);
        case Section::kCombinations:
            return &ListOf(doc, ResultList::kWordExpr);
        case Section::kSentences:
            return &doc.sentences;
        case Section::kSummary:
        case Section::kAll:
        case Section::kText:
        case Section::kMetrics:
        case Section::kZones:
            break;
    }
    return nullptr;
}

void WriteSection(const Document& doc, Section section, OutputFormat format, std::ostream& out) {
    if (section == Section::kAll) {
        for (Section s :
             {Section::kSummary, Section::kSentences, Section::kStems, Section::kWords, Section::kCombinations}) {
            out << "==" << utf8(kPaneCaptions[static_cast<int>(s)]) << " ==\n";
            WriteSection(doc, s, format, out);
            out << '\n';
        }
        return;
    }
    if (section == Section::kText) {
        const std::string& text = doc.content().text;
        out << text << (text.empty() ? "" : "\n");
        return;
    }
    if (section == Section::kSummary) {
        format == OutputFormat::kTsv ? writeSummaryTsv(doc.summary, out) : writeSummaryText(doc.summary, out);
        return;
    }
    if (section == Section::kMetrics && format != OutputFormat::kTsv) {
        out << MetricsText(doc);
        return;
    }
    if (section == Section::kMetrics || section == Section::kZones) {
        const CellTable table = section == Section::kMetrics ? MetricsTable(doc) : ZonesTable(doc);
        format == OutputFormat::kTsv ? writeTableTsv(table, out) : writeAlignedTable(table, out);
        return;
    }
    const ListModel& list = *ListOfSection(doc, section);
    format == OutputFormat::kTsv ? writeTsv(list, out) : writeAlignedList(list, out);
}
