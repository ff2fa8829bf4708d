#include "engine/analysis.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>

#include "engine/charset.h"
#include "engine/combinations.h"
#include "engine/cp1251.h"
#include "engine/numformat.h"
#include "engine/scanner.h"
#include "engine/wordlists.h"

namespace {

constexpr std::string_view kCaptionSuffix = " - Sumoran";

// Scans the cleaned text and, unless it holds no markup, rebuilds the lists and the caption.
ScanStatus scanAndBuild(AnalysisState& state, const TablesConsumer& onTables) {
    auto tables = std::make_unique<RunTables>();
    const std::string_view text = state.sourceText;
    ScanOutcome outcome = ScanPage(text, *tables, state.stopWords, state.koef, state.options);
    if (outcome.status == ScanStatus::kNoMarkup) return outcome.status;
    state.caption = outcome.title + std::string(kCaptionSuffix);
    BuildWordList(tables->stems, state.slWordBase, state.wbTotals);
    BuildWordList(tables->words, state.slWordFull, state.wfTotals);
    BuildExprList(*tables, text, state.slWordExpr, state.weTotals);
    if (onTables) onTables(*tables, text);
    return outcome.status;
}

}  // namespace

RunReport RunAnalysis(AnalysisState& state, const TablesConsumer& onTables) {
    const auto start = std::chrono::steady_clock::now();
    RunReport report;
    report.rawLength = state.sourceText.size();
    // Token records hold 32-bit offsets; a page beyond 2 GiB is analysed up to that size.
    constexpr std::size_t kMaxText = std::numeric_limits<std::int32_t>::max() - 1;
    if (state.sourceText.size() > kMaxText) state.sourceText.resize(kMaxText);
    state.charsetIndex = NormaliseAndConvert(state.sourceText);
    report.status = scanAndBuild(state, onTables);
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string().swap(state.sourceText);
    return report;
}

std::optional<std::string> TimeMessage(const RunReport& report, char decimalSeparator) {
    if (report.seconds <= 0) return std::nullopt;
    const double speed = static_cast<double>(report.rawLength) / (report.seconds * 1024);
    return std::string(u8"Время обработки: "_cp) + numformat::Fixed2(report.seconds, decimalSeparator) +
           std::string(u8" сек., Скорость обработки: "_cp) + numformat::Fixed2(speed, decimalSeparator) +
           std::string(u8" Кб/сек."_cp);
}
