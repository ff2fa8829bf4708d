// The analysis state of the current document with everything the window shows of it: the four
// list models with their filters and sort columns, the summary, and the status texts.
//
// The main window and the command-line tool own one Document each; the widgets only show it.
// Plain C++, no Qt. NOT thread-safe.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "concordance/concordance.h"
#include "engine/analysis.h"
#include "engine/cp1251.h"
#include "engine/pagesource.h"
#include "summary/summary.h"
#include "summary/summarylimits.h"
#include "views/crossnav.h"
#include "views/exprlist.h"
#include "views/listmodel.h"
#include "views/sorting.h"
#include "views/wordlist.h"

/// What follows the document title in the window caption after a run (the caption is only this
/// when the page has no title). The window's title changes use it too.
inline constexpr std::string_view kWindowCaptionSuffix = " - Sumoran";

/// The window caption (Windows-1251): "Sumoran" before the first run that scanned a page, then
/// that page's title and kWindowCaptionSuffix.
std::string WindowCaption(const AnalysisState& analysis);

/// Builds the time message "Время обработки: T сек., Скорость обработки: V Кб/сек." (Windows-1251)
/// with two decimals and the given decimal separator. Returns nothing when T <= 0.
std::optional<std::string> TimeMessage(const RunReport& report, char decimalSeparator);

struct Document {
    AnalysisState analysis;

    ListModel wordBase = MakeWordListModel(WordListKind::kStems);  // lvWordBase
    ListModel wordFull = MakeWordListModel(WordListKind::kWords);  // lvWordFull
    ListModel wordExpr = MakeExprListModel();                      // lvWordExpr
    ListModel sentences;                                           // lvDocumentText

    WordTypeFilter wbTypeHidden;
    WordTypeFilter wfTypeHidden;
    ExprTypeFilter weTypeHidden;
    std::string wbExtraFilter;
    std::string wfExtraFilter;
    std::string weExtraFilter;

    Summary summary;                          // reReferat and its status bar
    std::size_t summaryLimit = kNoLimitItem;  // the checked item of the limits menu
    std::optional<std::string> timeMessage;   // the window's status bar; nothing keeps the previous text

    Concordance concordance;         // lvConcordance and the word occurrences of the last analysis
    bool recordOccurrences = false;  // whether an analysis keeps its word occurrences for the concordance

    char decimalSeparator = ',';
    sorting::TextCompare compareText;

    Document();
    // The list models read the analysis state's lists in place.
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
};

/// Analyses a page source as the browser layer hands it over (single-byte, CR LF lines): cleans
/// and converts it, scans it, builds the sentence list, rebuilds the three result lists with
/// emptied additional filters and the summary without a limit, and sets the time message.
/// An empty source starts no run and returns nothing; a run that ran out of memory
/// (ScanStatus::kOutOfMemory) leaves the lists, the summary and the time message as they were.
std::optional<RunReport> AnalyseSource(Document& doc, std::string source);

/// Analyses a page source as AnalyseSource does, and records whether it was read from UTF-8 for
/// the page's encoding (AnalysisState::pageEncoding). Read it under the document's charset choice
/// (`analysis.charsetChoice`), as AnalyseSavedParts does.
std::optional<RunReport> AnalyseSource(Document& doc, PageText source);

/// Reads the saved parts of a page (the document, then its frames; raw bytes in any charset) under
/// the document's charset choice and analyses them: the one path by which a page is analysed
/// again from what was saved, under another choice.
std::optional<RunReport> AnalyseSavedParts(Document& doc, std::span<const std::string> parts);

/// The note the window's status bar and the command line give for a page with no text to analyse.
inline constexpr std::string_view kNoTextMessage = u8"На странице нет текста для анализа"_cp;

/// True when a run found no word to count: a page without markup, or one whose markup holds no
/// text the analysis reads (no <body>, a fragment, a frameset without its frames).
bool FoundNoText(const Document& doc, const RunReport& report);

/// Rebuilds the stem list from the last analysis with its current filters and sort column.
void RefillWordBase(Document& doc);
/// Rebuilds the word list from the last analysis with its current filters and sort column.
void RefillWordFull(Document& doc);
/// Rebuilds the combination list from the last analysis with its current filters and sort column.
void RefillWordExpr(Document& doc);

/// The model of one of the three result lists.
ListModel& ListOf(Document& doc, ResultList list);
const ListModel& ListOf(const Document& doc, ResultList list);

/// The type filter flags of a result list (`wbTypeHidden`, `wfTypeHidden`, `weTypeHidden`), one per
/// item of its type-filter menu; a set flag hides that type.
std::span<bool> TypeHiddenOf(Document& doc, ResultList list);
std::span<const bool> TypeHiddenOf(const Document& doc, ResultList list);

/// Rebuilds a result list from the last analysis with its current filters and sort column.
void RefillList(Document& doc, ResultList list);

/// Shows or hides the type of item `item` of a result list's type-filter menu, and rebuilds it.
void SetTypeShown(Document& doc, ResultList list, std::size_t item, bool shown);

/// Shows every type of a result list, and rebuilds it.
void ShowAllTypes(Document& doc, ResultList list);

/// Empties a result list's additional filter, and rebuilds it.
void ClearExtraFilter(Document& doc, ResultList list);

/// Sorts a result list by a clicked column (a click on the sort column sorts it again).
void SortList(Document& doc, ResultList list, unsigned column);

/// Sorts the sentence list by a clicked column.
void SortSentences(Document& doc, unsigned column);

/// Replaces the text of the sentence on display row `row` of the sentence list and, when that
/// sentence is in the summary, the text of its paragraph, so that the summary shows the edit without
/// a rebuild. Returns true when a summary paragraph changed; false, changing nothing, for a row
/// outside the list.
bool EditSentenceText(Document& doc, std::size_t row, std::string text);

/// Filters the button's target list to the rows related by stem to `selectedRows` (display rows of
/// the button's source list) and rebuilds it. Returns false, changing nothing, when no row is selected.
bool ShowRelated(Document& doc, const RelatedButton& button, std::span<const std::size_t> selectedRows);

/// Rebuilds the summary under item `limitIndex` of the limits menu and checks that item.
void RebuildSummary(Document& doc, std::size_t limitIndex);
