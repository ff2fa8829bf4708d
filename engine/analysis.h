// The analysis state of one document and the analysis run over it.
//
// AnalysisState is a plain struct that the main window (or the command-line tool) owns for the
// life of the program. RunAnalysis cleans the page source, detects (or takes the chosen) and
// converts its character set, scans it and rebuilds the stem, word and combination lists. NOT
// thread-safe: one run at a time per state.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/charset.h"
#include "engine/coefficients.h"
#include "engine/descriptions.h"
#include "engine/runtables.h"
#include "engine/stemsource.h"
#include "engine/vocunit.h"
#include "engine/zones.h"

/// What the scanner takes into the index besides the body text.
struct IndexOptions {
    bool indexTitle = false;   // the document title
    bool indexMeta = false;    // meta description and keywords
    bool indexImgAlt = false;  // image descriptions
    /// Where Cyrillic words take their stems from first ("Словоосновы по словарю"); none: the
    /// built-in stemmer alone. Not owned.
    StemSource* stemSource = nullptr;
};

/// Everything one document's analysis needs and leaves behind.
struct AnalysisState {
    std::string sourceText;  // the page source of the current run (Windows-1251 after cleaning); emptied by the run
    bool sourceFromUtf8 = false;  // sourceText was read from UTF-8 (PageText::fromUtf8); reset by the run
    CharsetChoice charsetChoice = CharsetChoice::kAuto;  // how the runs read their pages, until changed
    Charset charsetIndex = Charset::kWindows1251;        // the charset the text was detected in or taken as
    /// What the page of the last run was written in: the chosen charset, or under kAuto UTF-8 when
    /// the source was read from UTF-8 and detected as Windows-1251, else the detected charset.
    CharsetChoice pageEncoding = CharsetChoice::kWindows1251;
    TVocIndex stopWords;
    WordList slWordBase;
    WordList slWordFull;
    ExprList slWordExpr;
    WordTotals wbTotals;
    WordTotals wfTotals;
    ExprTotals weTotals;
    Coefficients koef;
    IndexOptions options;
    /// Applied to the cleaned, converted text (Windows-1251) before the scan, to reduce it to what
    /// is to be analysed (the page's main text); empty: the whole text is scanned. Kept across runs.
    std::function<void(std::string& text)> reduceText;
    /// The document title of the last run that scanned a page (Windows-1251; empty for a page
    /// without one); none before the first.
    std::optional<std::string> title;
    /// Whether the runs count the page's zones and characters into `tally` (the text figures);
    /// off only to measure what they cost.
    bool tallyPage = true;
    /// The zones, characters and meta tags of the page of the last run that scanned one (empty,
    /// tally.counted false, when that run did not count them).
    PageTally tally;
};

/// The scanner's outcome.
enum class ScanStatus {
    kComplete,     // the page was scanned and the lists rebuilt
    kNoMarkup,     // the text holds no "<": the lists, totals and title keep the previous run's values
    kOutOfMemory,  // a run table ran out of memory: the lists, totals and title keep the previous run's values
};

/// What a run reports for the time message.
struct RunReport {
    ScanStatus status = ScanStatus::kComplete;
    double seconds = 0;         // cleaning, conversion and scanning, on a monotonic clock
    std::size_t rawLength = 0;  // bytes of the page source before cleaning
};

/// Called during a run with its tables and the cleaned page text.
using TablesConsumer = std::function<void(const RunTables& tables, std::string_view text)>;

/// Runs one analysis over state.sourceText and releases it. `onTables` is called once the result
/// lists are built, with the markup stream and the stem table (the other tables are already
/// released and empty): this is where the sentence list is built. `onScanned` is called right
/// after the scan with every table complete. Either may be empty. When the status is kNoMarkup or
/// kOutOfMemory, neither is called and the lists, totals and title stay as they were.
RunReport RunAnalysis(AnalysisState& state, const TablesConsumer& onTables = {}, const TablesConsumer& onScanned = {});
