// Fuzzes the whole analysis of a page as the window runs it: the page bytes go through the saved
// page conversion and the analysis into the three result lists, the sentence list and the
// summary, which is then rebuilt under a limit with forced rows and written as RTF; a column of
// each list is clicked and one cross-navigation button is pressed.
//
// Input: four choice bytes, then the page bytes.
//   byte 0: bit 0-2 index the title, meta, image descriptions; bit 3 all types shown; bit 4 the
//           decimal point instead of the comma; bit 5 forced headings; bit 6 a second analysis
//           of the same page on the same document
//   byte 1: bit 0-2 the limits menu item; bit 3-7 a sentence row whose mark is toggled
//   byte 2: bit 0-2 the cross-navigation button; bit 3-7 the column clicked in every list
//   byte 3: the rows selected for the cross-navigation
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "document/document.h"
#include "engine/pagesource.h"
#include "fuzz/documentcheck.h"
#include "settings/stopwords.h"
#include "summary/forcedmarks.h"
#include "summary/rtfwriter.h"
#include "summary/sentencelist.h"
#include "views/columnsort.h"
#include "views/crossnav.h"
#include "views/exprlist.h"
#include "views/wordlist.h"

namespace {

using fuzzcheck::CheckDocument;
using fuzzcheck::CheckListShape;
using fuzzcheck::CheckRtf;
using fuzzcheck::CheckSummary;

// A few stop words in the file's own form (Windows-1251, CR LF after every line).
constexpr std::string_view kStopWordFile =
    u8"а\r\nв\r\nи\r\nк\r\nна\r\nне\r\nо\r\nпо\r\nс\r\nчто\r\nэто\r\nthe\r\nof\r\nand\r\n"_cp;

struct Choices {
    IndexOptions options;
    bool allTypes = false;
    char decimalSeparator = ',';
    bool forceHeadings = false;
    bool analyseTwice = false;
    std::size_t limitIndex = 0;
    std::size_t toggledRow = 0;
    std::size_t button = 0;
    unsigned column = 0;
    std::size_t selectionSeed = 0;
};

Choices readChoices(const std::uint8_t* data) {
    Choices c;
    c.options = {(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
    c.allTypes = (data[0] & 8) != 0;
    c.decimalSeparator = (data[0] & 16) != 0 ? '.' : ',';
    c.forceHeadings = (data[0] & 32) != 0;
    c.analyseTwice = (data[0] & 64) != 0;
    c.limitIndex = data[1] & 7;
    c.toggledRow = data[1] >> 3;
    c.button = data[2] & 7;
    c.column = data[2] >> 3;
    c.selectionSeed = data[3];
    return c;
}

std::vector<std::vector<std::string>> cellsOf(const ListModel& list) {
    std::vector<std::vector<std::string>> cells;
    cells.reserve(list.rows.size());
    for (std::size_t r = 0; r < list.rows.size(); ++r) cells.push_back(list.row(r).cells);
    return cells;
}

// True when the filter text holds the identifier enclosed in commas.
bool filterHolds(std::string_view filter, std::string_view id) {
    return filter.find("," + std::string(id) + ",") != std::string_view::npos;
}

// Checks that every row the filter let through is related to the selection.
void checkFilteredRows(const ListModel& target, ResultList which, std::string_view filter) {
    for (std::size_t r = 0; r < target.rows.size(); ++r) {
        if (which != ResultList::kWordExpr) {
            const unsigned column = filter.front() == '1' ? kWordLinkColumn : kWordIdColumn;
            FUZZ_CHECK(filterHolds(filter, target.cell(r, column)));
            continue;
        }
        const std::string cell = target.cell(r, kExprStemIdsColumn);
        std::string_view ids = cell;
        bool related = false;
        while (!ids.empty() && !related) {
            const std::size_t comma = ids.find(',');
            FUZZ_CHECK(comma != std::string_view::npos);
            related = filterHolds(filter, ids.substr(0, comma));
            ids.remove_prefix(comma + 1);
        }
        FUZZ_CHECK(related);
    }
}

// Presses one cross-navigation button with a few rows of its source list selected.
void crossNavigate(Document& doc, const Choices& c) {
    const RelatedButton& button = kRelatedButtons[c.button];
    const ListModel& source = ListOf(doc, button.source);
    const std::size_t n = source.rows.size();
    const std::array<std::size_t, 3> selected = {c.selectionSeed % (n + 1), (c.selectionSeed * 37 + 11) % (n + 1),
                                                 n + c.selectionSeed};
    auto filter = RelatedFilter(source, selected, button.sourceColumn, button.filterStart);
    FUZZ_CHECK(filter.has_value() == (selected[0] < n || selected[1] < n));
    const ListModel& target = ListOf(doc, button.target);
    const std::size_t unfiltered = target.rows.size();
    FUZZ_CHECK(ShowRelated(doc, button, selected) == filter.has_value());
    if (!filter) return;
    CheckListShape(target);
    FUZZ_CHECK(target.rows.size() <= unfiltered);
    checkFilteredRows(target, button.target, *filter);
}

// Clicks a column of a result list twice: the second sort must leave the order as it is.
void clickTwice(ListModel& list, unsigned column, std::span<const ColumnKey> keys, const Document& doc) {
    const std::size_t rows = list.rows.size();
    ClickColumn(list, column, keys, doc.decimalSeparator, doc.compareText);
    CheckListShape(list);
    FUZZ_CHECK(list.rows.size() == rows);
    const auto sorted = cellsOf(list);
    ClickColumn(list, column, keys, doc.decimalSeparator, doc.compareText);
    FUZZ_CHECK(cellsOf(list) == sorted);
}

void clickColumns(Document& doc, unsigned column) {
    clickTwice(ListOf(doc, ResultList::kWordBase), column % 12, kWordListKeys, doc);
    clickTwice(ListOf(doc, ResultList::kWordFull), column % 12, kWordListKeys, doc);
    clickTwice(ListOf(doc, ResultList::kWordExpr), column % 9, kExprListKeys, doc);

    const unsigned k = column % (sentencecol::kCount + 1);
    ClickSentenceColumn(doc.sentences, k, doc.compareText, doc.decimalSeparator);
    CheckListShape(doc.sentences);
    const auto sorted = cellsOf(doc.sentences);
    ClickSentenceColumn(doc.sentences, k, doc.compareText, doc.decimalSeparator);
    FUZZ_CHECK(cellsOf(doc.sentences) == sorted);
}

void forceRows(Document& doc, const Choices& c) {
    if (c.forceHeadings) SetHeadingMarks(doc.sentences, MarkChange::kSet);
    const bool wasMarked = IsRowMarked(doc.sentences, c.toggledRow);
    const bool marked = ToggleRowMark(doc.sentences, c.toggledRow);
    FUZZ_CHECK(marked == (c.toggledRow < doc.sentences.rows.size() && !wasMarked));
    FUZZ_CHECK(IsRowMarked(doc.sentences, c.toggledRow) == marked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const Choices c = readChoices(data);
    const std::string_view page(reinterpret_cast<const char*>(data) + 4, size - 4);

    Document doc;
    doc.decimalSeparator = c.decimalSeparator;
    SetIndexOptions(doc, c.options);
    SetStopWords(doc, settings::ParseStopWords(kStopWordFile));
    if (c.allTypes) {
        for (ResultList list : kResultLists) ShowAllTypes(doc, list);
    }

    const std::string text = SavedPartText(page);
    const auto report = AnalyseSource(doc, text);
    FUZZ_CHECK(report.has_value() == !text.empty());
    CheckDocument(doc);
    CheckSummary(doc);

    if (c.analyseTwice && report && report->status != ScanStatus::kOutOfMemory) {
        // The same page on the same document gives the same lists and summary (a second run that
        // runs out of memory keeps the first run's).
        const auto stems = cellsOf(ListOf(doc, ResultList::kWordBase)),
                   words = cellsOf(ListOf(doc, ResultList::kWordFull)),
                   exprs = cellsOf(ListOf(doc, ResultList::kWordExpr));
        const auto sentences = cellsOf(doc.sentences);
        const auto paragraphs = doc.summary.paragraphs;
        AnalyseSource(doc, text);
        CheckDocument(doc);
        FUZZ_CHECK(cellsOf(ListOf(doc, ResultList::kWordBase)) == stems &&
                   cellsOf(ListOf(doc, ResultList::kWordFull)) == words &&
                   cellsOf(ListOf(doc, ResultList::kWordExpr)) == exprs);
        FUZZ_CHECK(cellsOf(doc.sentences) == sentences && doc.summary.paragraphs == paragraphs);
    }

    forceRows(doc, c);
    RebuildSummary(doc, c.limitIndex);
    FUZZ_CHECK(doc.summaryLimit == c.limitIndex);
    CheckSummary(doc);
    const std::string rtf = SummaryToRtf(doc.summary.paragraphs);
    CheckRtf(rtf, doc.summary.paragraphs.size());

    // Sorting the sentence list changes nothing the summary reads.
    const auto paragraphs = doc.summary.paragraphs;
    clickColumns(doc, c.column);
    RebuildSummary(doc, c.limitIndex);
    FUZZ_CHECK(doc.summary.paragraphs == paragraphs);

    crossNavigate(doc, c);
    return 0;
}
