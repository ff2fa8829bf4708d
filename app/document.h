// The analysis state of the current document with everything the window shows of it: the four
// list models with their filters and sort columns, the summary, and the status texts.
//
// The main window and the command-line tool own one Document each; the widgets only show it.
// Plain C++, no Qt. NOT thread-safe.
#pragma once

#include <optional>
#include <string>

#include "engine/analysis.h"
#include "engine/cp1251.h"
#include "summary/summary.h"
#include "summary/summarylimits.h"
#include "views/exprlist.h"
#include "views/listmodel.h"
#include "views/sorting.h"
#include "views/wordlist.h"

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

    Summary summary;                         // reReferat and its status bar
    std::size_t summaryLimit = kNoLimitItem;  // the checked item of the limits menu
    std::optional<std::string> timeMessage;  // the window's status bar; nothing keeps the previous text

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

/// Rebuilds the summary under item `limitIndex` of the limits menu and checks that item.
void RebuildSummary(Document& doc, std::size_t limitIndex);
