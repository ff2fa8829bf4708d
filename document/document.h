// The analysis state of the current document with everything the window shows of it: the four
// list models with their filters and sort columns, the summary, and the status texts.
//
// The main window and the command-line tool own one Document each; the widgets only show it.
// Plain C++, no Qt. NOT thread-safe.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "concordance/concordance.h"
#include "document/content.h"
#include "engine/analysis.h"
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

/// What one analysis of a page is given: the page's bytes as they were taken and how to read them.
struct AnalysisRequest {
    /// The document, then each of its frames that was read: raw bytes in any charset, each as taken.
    std::vector<std::string> parts;
    CharsetChoice charset = CharsetChoice::kAuto;  // how the parts are read
    ContentMode content = ContentMode::kPage;      // the whole page or its main text
    /// Whether the document keeps the parts after the run, so that ReadAgain can read the page on
    /// screen under another charset (the window). A one-off run (the command line) frees them
    /// before the scan, so that a large page is not held twice.
    bool keepParts = true;
    /// Whether content().text keeps the whole page's text under ContentMode::kPage, to be shown.
    bool keepText = false;
};

/// One of the three word-like result lists (stems, words, combinations) as it is shown.
struct ResultListState {
    ListModel model;  // lvWordBase, lvWordFull, lvWordExpr
    /// One flag per item of the list's type-filter menu (`wbTypeHidden`, `wfTypeHidden`,
    /// `weTypeHidden`); a set flag hides that type. The first `typeItems` are in use.
    std::array<bool, 7> typeHidden{};
    std::size_t typeItems = 0;
    std::string extraFilter;  // the additional filter cross-navigation sets; empty: off
};

/// The analysed page. The panels and the command line read its analysis and change what is shown
/// (sort columns, filters, marks) through the operations below; what the analysis is given arrives
/// as arguments (Analyse, ReadAgain, the Set… settings), never as writes into its state.
class Document {
  public:
    std::array<ResultListState, std::size(kResultLists)> lists;  // indexed by ResultList
    ListModel sentences;                                         // lvDocumentText

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

    /// The settings and results of the last analysis.
    const AnalysisState& analysis() const { return analysis_; }
    /// The page of the last request that kept its parts (none kept: no parts).
    const AnalysisRequest& page() const { return page_; }
    /// What the last run read of its page: the whole page, or what main text it found.
    const ContentReport& content() const { return content_; }

  private:
    friend struct DocumentAccess;  // the document's own operations
    AnalysisState analysis_;
    AnalysisRequest page_;
    ContentReport content_;
};

/// Reads the request's parts under its charset choice (each part cut at its first NUL, converted
/// from UTF-8 where it is UTF-8, lines joined with CR LF, the parts joined in order) and analyses
/// them as AnalyseSource does, recording what the page was written in
/// (AnalysisState::pageEncoding); under ContentMode::kMain only the main text of each part is
/// analysed (ReduceToMainText), and content() says what was found. Keeps the request as the page
/// on screen when it asks to. No parts, or parts without a byte, start no run and return nothing.
std::optional<RunReport> Analyse(Document& doc, AnalysisRequest request);

/// Reads the page on screen (the last request that kept its parts) again under `charset` and
/// `content` and analyses it. Nothing when no page is kept.
std::optional<RunReport> ReadAgain(Document& doc, CharsetChoice charset, ContentMode content);

/// Analyses a page source already read (single-byte, CR LF lines) under automatic detection:
/// cleans and converts it, scans it, builds the sentence list, rebuilds the three result lists with
/// emptied additional filters and the summary without a limit, and sets the time message. Forgets
/// the page on screen. An empty source starts no run and returns nothing; a run that ran out of
/// memory (ScanStatus::kOutOfMemory) leaves the lists, the summary and the time message as they were.
std::optional<RunReport> AnalyseSource(Document& doc, std::string source);

/// The weight coefficients of the runs that follow.
void SetCoefficients(Document& doc, const Coefficients& koef);
/// The stop words of the runs that follow.
void SetStopWords(Document& doc, TVocIndex stopWords);
/// What the runs that follow index besides the body (title, meta tags, image descriptions) and
/// where they take stems from.
void SetIndexOptions(Document& doc, IndexOptions options);

/// The note the window's status bar and the command line give for a page with no text to analyse.
inline constexpr std::string_view kNoTextMessage = u8"На странице нет текста для анализа"_cp;

/// True when a run found no word to count: a page without markup, or one whose markup holds no
/// text the analysis reads (no <body>, a fragment, a frameset without its frames).
bool FoundNoText(const Document& doc, const RunReport& report);

/// The model of one of the three result lists.
ListModel& ListOf(Document& doc, ResultList list);
const ListModel& ListOf(const Document& doc, ResultList list);
/// The additional filter of a result list; empty when it is off.
const std::string& ExtraFilterOf(const Document& doc, ResultList list);

/// The type filter flags of a result list, one per item of its type-filter menu; a set flag hides
/// that type.
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
