#include "app/document.h"

#include "engine/charset.h"
#include "summary/sentencelist.h"

Document::Document() : compareText(sorting::LocaleTextCompare()) {
    sentences.columns = SentenceListColumns();
    sentences.sortColumn = sentencecol::kOrder;
}

std::optional<RunReport> AnalyseSource(Document& doc, std::string source) {
    if (source.empty()) return std::nullopt;
    doc.analysis.sourceText = std::move(source);
    RunReport report = RunAnalysis(doc.analysis, [&doc](const RunTables& tables, std::string_view text) {
        BuildSentenceList(doc.sentences, tables.markup, tables.stems, text, doc.analysis.wfTotals.totalCount,
                          doc.decimalSeparator);
    });
    // A run that ran out of memory changed nothing: everything shown stays as it was.
    if (report.status == ScanStatus::kOutOfMemory) return report;
    doc.summary.paragraphs.clear();
    doc.wbExtraFilter.clear();
    doc.wfExtraFilter.clear();
    doc.weExtraFilter.clear();
    RefillWordBase(doc);
    RefillWordFull(doc);
    RefillWordExpr(doc);
    RebuildSummary(doc, kNoLimitItem);
    if (auto message = TimeMessage(report, doc.decimalSeparator)) doc.timeMessage = std::move(message);
    return report;
}

bool FoundNoText(const Document& doc, const RunReport& report) {
    if (report.status == ScanStatus::kNoMarkup) return true;
    return report.status == ScanStatus::kComplete && doc.analysis.wfTotals.totalCount == 0;
}

void RefillWordBase(Document& doc) {
    FillWordList(doc.wordBase, doc.analysis.slWordBase, doc.wbExtraFilter, doc.wbTypeHidden, doc.analysis.wbTotals,
                 doc.decimalSeparator, doc.compareText);
}

void RefillWordFull(Document& doc) {
    FillWordList(doc.wordFull, doc.analysis.slWordFull, doc.wfExtraFilter, doc.wfTypeHidden, doc.analysis.wfTotals,
                 doc.decimalSeparator, doc.compareText);
}

void RefillWordExpr(Document& doc) {
    FillExprList(doc.wordExpr, doc.analysis.slWordExpr, doc.weExtraFilter, doc.weTypeHidden, doc.analysis.weTotals,
                 doc.decimalSeparator, doc.compareText);
}

void RebuildSummary(Document& doc, std::size_t limitIndex) {
    const SummaryLimit& limit = kSummaryLimits.at(limitIndex);
    const double words = doc.analysis.wfTotals.totalCount;
    Summary summary = BuildSummary(doc.sentences, ResolveMaxSentences(limit, words), limit.percentLimit, words,
                                   doc.decimalSeparator);
    doc.summary.paragraphs = std::move(summary.paragraphs);
    if (summary.status) doc.summary.status = std::move(summary.status);
    doc.summaryLimit = limitIndex;
}
