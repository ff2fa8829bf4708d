// The user guide's worked example against the program: every number the guide marks with
// data-check="KEY" must read exactly as the cell KEY names reads in the window after the sample
// page is analysed with the default coefficients and stop words and the decimal comma.
//
// Keys (texts and captions as the window shows them, in UTF-8):
//   stem:TEXT:CAPTION, word:TEXT:CAPTION, combination:TEXT:CAPTION  a cell of the shown row whose
//                                                                    first column reads TEXT
//   sentence:ORDER:CAPTION          a cell of the sentence whose "Порядок" reads ORDER
//   status:LIST, status:LIST:N      a list's status text (LIST: stems, words, combinations,
//                                   sentences), or the N-th number in it, counting from 1
//   summary:orders[:LIMIT]          the "Порядок" numbers of the summary's sentences, ", " between
//   summary:status[:LIMIT]          the summary's status text; LIMIT is a limits-menu caption
//   stemmed:WORD                    the stem `sumoran-cli stem WORD` prints
//   metric:KEY                      the value of the text figure KEY (its JSON key), decimal comma
//   check:ID                        the verdict of the page check ID ("title_length", …)
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/textfile.h"
#include "document/document.h"
#include "engine/pagesource.h"
#include "engine/wordlists.h"
#include "figures/figures.h"
#include "settings/stopwords.h"
#include "summary/sentencelist.h"
#include "summary/summarylimits.h"

namespace {

const std::filesystem::path kSourceDir = SUMORAN_SOURCE_DIR;

// One number of the guide and the key of the cell it stands for.
struct Mark {
    std::string key;
    std::optional<std::string> text;  // trimmed, each run of white space as one space; nothing when unreadable
};

std::string collapseSpaces(std::string_view text) {
    std::string out;
    for (char c : text) {
        const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (space && (out.empty() || out.back() == ' ')) continue;
        out += space ? ' ' : c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Returns every data-check mark of the page in page order. A mark whose element cannot be read
// (no closing tag, markup or an entity inside) comes back without a text.
std::vector<Mark> MarkedValues(std::string_view html) {
    constexpr std::string_view kAttribute = "data-check=\"";
    std::vector<Mark> marks;
    for (std::size_t at = html.find(kAttribute); at != std::string_view::npos; at = html.find(kAttribute, at + 1)) {
        Mark mark;
        const std::size_t keyStart = at + kAttribute.size();
        const std::size_t keyEnd = html.find('"', keyStart);
        const std::size_t tagStart = html.rfind('<', at);
        if (keyEnd == std::string_view::npos || tagStart == std::string_view::npos) break;
        mark.key = html.substr(keyStart, keyEnd - keyStart);
        std::size_t nameEnd = tagStart + 1;
        while (nameEnd < html.size() && std::isalnum(static_cast<unsigned char>(html[nameEnd])) != 0) ++nameEnd;
        const std::string closing = "</" + std::string(html.substr(tagStart + 1, nameEnd - tagStart - 1));
        const std::size_t contentStart = html.find('>', keyEnd);
        const std::size_t contentEnd =
            contentStart == std::string_view::npos ? contentStart : html.find(closing, contentStart);
        if (contentEnd != std::string_view::npos) {
            std::string_view content = html.substr(contentStart + 1, contentEnd - contentStart - 1);
            if (content.find_first_of("<&") == std::string_view::npos) mark.text = collapseSpaces(content);
        }
        marks.push_back(std::move(mark));
    }
    return marks;
}

std::vector<std::string_view> splitKey(std::string_view key) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t colon = key.find(':');
        parts.push_back(key.substr(0, colon));
        if (colon == std::string_view::npos) return parts;
        key.remove_prefix(colon + 1);
    }
}

std::string utf8(std::string_view cp) { return cp1251::toUtf8(cp); }

std::optional<unsigned> columnOf(const ListModel& list, std::string_view caption) {
    for (unsigned k = 0; k < list.columns.size(); ++k) {
        if (utf8(list.columns[k].caption) == caption) return k;
    }
    return std::nullopt;
}

// The cell of the shown row whose column `keyColumn` reads `rowText`, in the column `caption`.
std::optional<std::string> listCell(const ListModel& list, unsigned keyColumn, std::string_view rowText,
                                    std::string_view caption) {
    const std::optional<unsigned> column = columnOf(list, caption);
    if (!column) return std::nullopt;
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        if (utf8(list.cell(r, keyColumn)) == rowText) return utf8(list.cell(r, *column));
    }
    return std::nullopt;
}

// The N-th (from 1) number of a status text: digits with an optional decimal comma and digits.
std::optional<std::string> numberInText(std::string_view text, std::string_view n) {
    if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    std::size_t wanted = std::stoul(std::string(n));
    auto digit = [&](std::size_t i) { return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); };
    for (std::size_t i = 0; i < text.size();) {
        if (!digit(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (digit(end)) ++end;
        if (text.substr(end, 1) == "," && digit(end + 1)) {
            ++end;
            while (digit(end)) ++end;
        }
        if (--wanted == 0) return std::string(text.substr(i, end - i));
        i = end;
    }
    return std::nullopt;
}

const ListModel* namedList(const Document& doc, std::string_view name) {
    if (name == "stems") return &ListOf(doc, ResultList::kWordBase);
    if (name == "words") return &ListOf(doc, ResultList::kWordFull);
    if (name == "combinations") return &ListOf(doc, ResultList::kWordExpr);
    if (name == "sentences") return &doc.sentences;
    return nullptr;
}

// The "Порядок" numbers of the summary's paragraphs: each paragraph is the next sentence, in
// document order, with its text.
std::optional<std::string> summaryOrders(const Document& doc) {
    std::string orders;
    std::size_t r = 0;
    for (const SummaryParagraph& p : doc.summary.paragraphs) {
        while (r < doc.sentences.rows.size() && doc.sentences.cell(r, sentencecol::kText) != p.text) ++r;
        if (r == doc.sentences.rows.size()) return std::nullopt;
        orders += (orders.empty() ? "" : ", ") + doc.sentences.cell(r++, sentencecol::kOrder);
    }
    return orders;
}

std::optional<std::string> summaryValue(Document& doc, std::string_view what, std::optional<std::string_view> limit) {
    std::size_t item = kNoLimitItem;
    if (limit) {
        item = kSummaryLimits.size();
        for (std::size_t i = 0; i < kSummaryLimits.size(); ++i) {
            if (utf8(kSummaryLimits[i].caption) == *limit) item = i;
        }
        if (item == kSummaryLimits.size()) return std::nullopt;
    }
    RebuildSummary(doc, item);
    std::optional<std::string> value;
    if (what == "orders") value = summaryOrders(doc);
    if (what == "status" && doc.summary.status) value = utf8(*doc.summary.status);
    RebuildSummary(doc, kNoLimitItem);
    return value;
}

// The stem under which the analysis counts a word, as `sumoran-cli stem` prints it.
std::optional<std::string> stemOf(std::string_view word) {
    const std::optional<std::string> bytes = cp1251::fromUtf8Strict(word);
    if (!bytes || bytes->empty()) return std::nullopt;
    std::string lower;
    std::uint32_t code = 0;
    return utf8(StemWord(*bytes, lower, code));
}

// The value of a text figure or the verdict of a page check, as the figures pane shows them.
std::optional<std::string> figureValue(const Document& doc, std::string_view kind, std::string_view key) {
    const figures::TextFigures f = figures::ComputeFigures(doc.analysis());
    if (kind == "metric") {
        for (const figures::FigureLine& line : figures::FigureLines(f, doc.decimalSeparator)) {
            if (line.key == key) return utf8(line.value);
        }
        return std::nullopt;
    }
    for (const figures::PageCheck& check : figures::CheckPage(doc.analysis(), f)) {
        if (check.id == key) return utf8(figures::VerdictCaption(check.verdict));
    }
    return std::nullopt;
}

// Returns the text of the cell `key` names, or nothing when it names no cell the window shows.
std::optional<std::string> ShownValue(Document& doc, std::string_view key) {
    const std::vector<std::string_view> p = splitKey(key);
    const std::string_view kind = p[0];
    if (p.size() == 3 && kind == "stem") return listCell(ListOf(doc, ResultList::kWordBase), 0, p[1], p[2]);
    if (p.size() == 3 && kind == "word") return listCell(ListOf(doc, ResultList::kWordFull), 0, p[1], p[2]);
    if (p.size() == 3 && kind == "combination") return listCell(ListOf(doc, ResultList::kWordExpr), 0, p[1], p[2]);
    if (p.size() == 3 && kind == "sentence") return listCell(doc.sentences, sentencecol::kOrder, p[1], p[2]);
    if ((p.size() == 2 || p.size() == 3) && kind == "status") {
        const ListModel* list = namedList(doc, p[1]);
        if (!list || !list->status) return std::nullopt;
        const std::string status = utf8(*list->status);
        return p.size() == 2 ? std::optional(status) : numberInText(status, p[2]);
    }
    if (p.size() == 2 && kind == "stemmed") return stemOf(p[1]);
    if (p.size() == 2 && (kind == "metric" || kind == "check")) return figureValue(doc, kind, p[1]);
    if ((p.size() == 2 || p.size() == 3) && kind == "summary") {
        return summaryValue(doc, p[1], p.size() == 3 ? std::optional(p[2]) : std::optional<std::string_view>());
    }
    return std::nullopt;
}

// The sample page analysed as sumoran-cli analyses it with the program's own default files.
std::unique_ptr<Document> AnalysedSample() {
    auto doc = std::make_unique<Document>();
    doc->decimalSeparator = ',';
    SetStopWords(*doc, settings::LoadStopWords(kSourceDir / "data" / "stopwords.txt"));
    settings::FileBytes page = settings::ReadFileBytes(kSourceDir / "samples" / "sample.html");
    EXPECT_EQ(page.status, settings::ReadStatus::kOk);
    AnalyseSource(*doc, SavedPartText(page.bytes));
    return doc;
}

TEST(UserGuide, MarkedNumbersAreWhatTheProgramShows) {
    settings::FileBytes guide = settings::ReadFileBytes(kSourceDir / "resources" / "UserGuide.html");
    ASSERT_EQ(guide.status, settings::ReadStatus::kOk);
    const std::vector<Mark> marks = MarkedValues(guide.bytes);
    ASSERT_FALSE(marks.empty()) << "the guide marks no number of its worked example";
    auto doc = AnalysedSample();
    for (const Mark& mark : marks) {
        if (!mark.text) {
            ADD_FAILURE() << "the element of data-check=\"" << mark.key << "\" holds markup or has no closing tag";
            continue;
        }
        const std::optional<std::string> shown = ShownValue(*doc, mark.key);
        if (!shown) {
            ADD_FAILURE() << "data-check=\"" << mark.key << "\" names no cell the program shows";
            continue;
        }
        EXPECT_EQ(*mark.text, *shown) << "data-check=\"" << mark.key << "\"";
    }
}

TEST(UserGuide, ReadsEachMarkWithItsText) {
    const std::vector<Mark> marks = MarkedValues(
        "<td class=\"c\" data-check=\"stem:анализ:ВА\">2,40</td> <span data-check=\"summary:status\">Предложений: 6,\n"
        "  Слов: 51</span> <b data-check=\"sentence:1:Вес\">1<i>2</i></b> <td data-check=\"status:stems\">");
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[0].key, "stem:анализ:ВА");
    EXPECT_EQ(marks[0].text, "2,40");
    EXPECT_EQ(marks[1].text, "Предложений: 6, Слов: 51");
    EXPECT_EQ(marks[2].text, std::nullopt) << "markup inside a mark";
    EXPECT_EQ(marks[3].text, std::nullopt) << "a mark without its closing tag";
}

TEST(UserGuide, KeysThatNameNoShownCellGiveNothing) {
    auto doc = AnalysedSample();
    EXPECT_EQ(ShownValue(*doc, "stem:анализ:ВА"), "2,40");
    EXPECT_EQ(ShownValue(*doc, "status:stems:3"), "163");
    EXPECT_EQ(ShownValue(*doc, "summary:orders:3 предложения"), "0, 3, 6");
    EXPECT_EQ(ShownValue(*doc, "stemmed:домами"), "дом");
    for (std::string_view key :
         {"stem:анализы:ВА", "stem:анализ:Вес", "stem:в:ЧА", "sentence:18:Вес", "status:stems:7", "status:summary",
          "summary:orders:~30%", "summary:orders:", "stemmed:", "stemmed:✓", "page:ВА", ""}) {
        EXPECT_EQ(ShownValue(*doc, key), std::nullopt) << key;
    }
}

}  // namespace
