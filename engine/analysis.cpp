#include "engine/analysis.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>

#include "base/sanitizers.h"
#include "engine/charset.h"
#include "engine/combinations.h"
#include "engine/scanner.h"
#include "engine/wordlists.h"

namespace {

// Hands the pages of released tables back to the system. The allocator would keep them for later
// allocations, but the lists built next are large single blocks it takes from the system anyway,
// so without this the released tables and the new lists would both count against the process
// (manuals of 50 MB: a peak of 188 MiB instead of 159). A page under 1 MiB is left alone: what it
// frees is small and taken again by the next page, and trimming walks and locks the arena of every
// thread, so that the workers of a batch of small pages stalled each other on it.
// Under AddressSanitizer glibc's allocator is not the one in use: its arenas are never set up, and
// trimming them from several threads at once crashes, so there is nothing to hand back.
void returnFreedMemory(std::size_t textBytes) {
#if defined(__GLIBC__) && !defined(SUMORAN_ASAN)
    constexpr std::size_t kTrimFromBytes = std::size_t{1} << 20;
    if (textBytes >= kTrimFromBytes) malloc_trim(0);
#else
    (void)textBytes;
#endif
}

// Scans the cleaned text and, unless it holds no markup or a table ran out of memory, rebuilds
// the lists and the caption. A table that ran out has dropped entries, so lists built from it
// would look complete without being so; the tables are only read after the scan, so what they
// say then holds for the whole run. Each table is released as soon as its last reader is done,
// so that the lists being built and the tables they come from are not all alive at once.
ScanStatus scanAndBuild(AnalysisState& state, const TablesConsumer& onTables, const TablesConsumer& onScanned) {
    auto tables = std::make_unique<RunTables>();
    const std::string_view text = state.sourceText;
    PageTally tally;
    ScanOutcome outcome =
        ScanPage(text, *tables, state.stopWords, state.koef, state.options, state.tallyPage ? &tally : nullptr);
    if (outcome.status == ScanStatus::kNoMarkup) return outcome.status;
    if (tables->failed()) return ScanStatus::kOutOfMemory;
    if (onScanned) onScanned(*tables, text);
    state.title = outcome.title;
    state.tally = std::move(tally);
    BuildExprList(*tables, text, state.slWordExpr, state.weTotals);
    tables->exprs = TVocExprIndex();
    tables->phrases = TTxtIdxIndex();
    returnFreedMemory(text.size());
    BuildWordList(tables->words, state.slWordFull, state.wfTotals);
    tables->words = TVocIndex();
    returnFreedMemory(text.size());
    BuildWordList(tables->stems, state.slWordBase, state.wbTotals);
    if (onTables) onTables(*tables, text);
    return outcome.status;
}

// What the page was written in once its charset is known (see AnalysisState::pageEncoding).
CharsetChoice pageEncodingOf(const AnalysisState& state) {
    if (state.charsetChoice != CharsetChoice::kAuto) return state.charsetChoice;
    switch (state.charsetIndex) {
        case Charset::kKoi8r:
            return CharsetChoice::kKoi8r;
        case Charset::kIso88595:
            return CharsetChoice::kIso88595;
        case Charset::kWindows1251:
            break;
    }
    return state.sourceFromUtf8 ? CharsetChoice::kUtf8 : CharsetChoice::kWindows1251;
}

}  // namespace

RunReport RunAnalysis(AnalysisState& state, const TablesConsumer& onTables, const TablesConsumer& onScanned) {
    const auto start = std::chrono::steady_clock::now();
    RunReport report;
    report.rawLength = state.sourceText.size();
    // Token records hold 32-bit offsets; a page beyond 2 GiB is analysed up to that size.
    constexpr std::size_t kMaxText = std::numeric_limits<std::int32_t>::max() - 1;
    if (state.sourceText.size() > kMaxText) state.sourceText.resize(kMaxText);
    // Text read from UTF-8 is Windows-1251 already: detection, meant for single-byte pages, would
    // take a text of more capitals than small letters for KOI8-R and convert its words away.
    const bool readFromUtf8 = state.sourceFromUtf8 && state.charsetChoice == CharsetChoice::kAuto;
    state.charsetIndex =
        NormaliseAndConvert(state.sourceText, readFromUtf8 ? CharsetChoice::kWindows1251 : state.charsetChoice);
    state.pageEncoding = pageEncodingOf(state);
    state.sourceFromUtf8 = false;
    if (state.reduceText) state.reduceText(state.sourceText);
    report.status = scanAndBuild(state, onTables, onScanned);
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string().swap(state.sourceText);
    returnFreedMemory(report.rawLength);
    return report;
}
