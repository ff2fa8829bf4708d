#include "document/document.h"

#include "engine/charset.h"
#include "engine/numformat.h"
#include "summary/sentencelist.h"
#include "views/columnsort.h"

Document::Document() : compareText(sorting::LocaleTextCompare()) {
    sentences.columns = SentenceListColumns();
    sentences.sortColumn = sentencecol::kOrder;
}

std::optional<RunReport> AnalyseSource(Document& doc, std::string source) {
    if (source.empty()) return std::nullopt;
    doc.analysis.sourceText = std::move(source);
    // The occurrences are read from the complete streams after the scan and kept only once the run
    // has built its lists: a run that fails leaves the previous page's occurrences in place.
    PageOccurrences occurrences;
    std::vector<std::int32_t> wordRows;
    const bool record = doc.recordOccurrences;
    TablesConsumer onScanned;
    if (record) {
        onScanned = [&occurrences](const RunTables& tables, std::string_view text) {
            occurrences = CollectOccurrences(tables.markup, tables.phrases, text);
        };
    }
    RunReport report = RunAnalysis(
        doc.analysis,
        [&](const RunTables& tables, std::string_view text) {
            BuildSentenceList(doc.sentences, tables.markup, tables.stems, text, doc.analysis.wfTotals.totalCount,
                              doc.decimalSeparator, record ? &wordRows : nullptr);
            if (!record) return;
            AssignSentences(occurrences, wordRows);
            ClearConcordance(doc.concordance);
            doc.concordance.page = std::move(occurrences);
        },
        onScanned);
    // A run that ran out of memory changed nothing: everything shown stays as it was.
    if (report.status == ScanStatus::kOutOfMemory) return report;
    doc.summary.paragraphs.clear();
    doc.summary.entries.clear();
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

std::optional<RunReport> AnalyseSource(Document& doc, PageText source) {
    if (source.text.empty()) return std::nullopt;
    doc.analysis.sourceFromUtf8 = source.fromUtf8;
    return AnalyseSource(doc, std::move(source.text));
}

std::optional<RunReport> AnalyseSavedParts(Document& doc, std::span<const std::string> parts) {
    return AnalyseSource(doc, ReadSavedParts(parts, doc.analysis.charsetChoice));
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
    Summary summary =
        BuildSummary(doc.sentences, ResolveMaxSentences(limit, words), limit.percentLimit, words, doc.decimalSeparator);
    doc.summary.paragraphs = std::move(summary.paragraphs);
    doc.summary.entries = std::move(summary.entries);
    doc.summary.walkEnd = summary.walkEnd;
    if (summary.status) doc.summary.status = std::move(summary.status);
    doc.summaryLimit = limitIndex;
}

ListModel& ListOf(Document& doc, ResultList list) {
    switch (list) {
        case ResultList::kWordBase:
            return doc.wordBase;
        case ResultList::kWordFull:
            return doc.wordFull;
        case ResultList::kWordExpr:
            break;
    }
    return doc.wordExpr;
}

const ListModel& ListOf(const Document& doc, ResultList list) { return ListOf(const_cast<Document&>(doc), list); }

std::span<bool> TypeHiddenOf(Document& doc, ResultList list) {
    switch (list) {
        case ResultList::kWordBase:
            return doc.wbTypeHidden.hidden;
        case ResultList::kWordFull:
            return doc.wfTypeHidden.hidden;
        case ResultList::kWordExpr:
            break;
    }
    return doc.weTypeHidden.hidden;
}

std::span<const bool> TypeHiddenOf(const Document& doc, ResultList list) {
    return TypeHiddenOf(const_cast<Document&>(doc), list);
}

namespace {

std::string& ExtraFilterOf(Document& doc, ResultList list) {
    switch (list) {
        case ResultList::kWordBase:
            return doc.wbExtraFilter;
        case ResultList::kWordFull:
            return doc.wfExtraFilter;
        case ResultList::kWordExpr:
            break;
    }
    return doc.weExtraFilter;
}

}  // namespace

void RefillList(Document& doc, ResultList list) {
    switch (list) {
        case ResultList::kWordBase:
            RefillWordBase(doc);
            return;
        case ResultList::kWordFull:
            RefillWordFull(doc);
            return;
        case ResultList::kWordExpr:
            RefillWordExpr(doc);
            return;
    }
}

void SetTypeShown(Document& doc, ResultList list, std::size_t item, bool shown) {
    std::span<bool> hidden = TypeHiddenOf(doc, list);
    if (item >= hidden.size()) return;
    hidden[item] = !shown;
    RefillList(doc, list);
}

void ShowAllTypes(Document& doc, ResultList list) {
    for (bool& flag : TypeHiddenOf(doc, list)) flag = false;
    RefillList(doc, list);
}

void ClearExtraFilter(Document& doc, ResultList list) {
    ExtraFilterOf(doc, list).clear();
    RefillList(doc, list);
}

void SortList(Document& doc, ResultList list, unsigned column) {
    const std::span<const ColumnKey> keys = list == ResultList::kWordExpr ? std::span<const ColumnKey>(kExprListKeys)
                                                                          : std::span<const ColumnKey>(kWordListKeys);
    ClickColumn(ListOf(doc, list), column, keys, doc.decimalSeparator, doc.compareText);
}

void SortSentences(Document& doc, unsigned column) {
    ClickSentenceColumn(doc.sentences, column, doc.compareText, doc.decimalSeparator);
}

bool EditSentenceText(Document& doc, std::size_t row, std::string text) {
    if (row >= doc.sentences.rows.size()) return false;
    const std::size_t entry = doc.sentences.rows[row];
    if (!doc.sentences.setCell(row, sentencecol::kText, std::move(text))) return false;
    bool changed = false;
    for (std::size_t k = 0; k < doc.summary.entries.size() && k < doc.summary.paragraphs.size(); ++k) {
        if (doc.summary.entries[k] != entry) continue;
        doc.summary.paragraphs[k].text = doc.sentences.cell(row, sentencecol::kText);
        changed = true;
    }
    return changed;
}

bool ShowRelated(Document& doc, const RelatedButton& button, std::span<const std::size_t> selectedRows) {
    std::optional<std::string> filter =
        RelatedFilter(ListOf(doc, button.source), selectedRows, button.sourceColumn, button.filterStart);
    if (!filter) return false;
    ExtraFilterOf(doc, button.target) = std::move(*filter);
    RefillList(doc, button.target);
    return true;
}

std::string WindowCaption(const AnalysisState& analysis) {
    return analysis.title ? *analysis.title + std::string(kWindowCaptionSuffix) : std::string("Sumoran");
}

std::optional<std::string> TimeMessage(const RunReport& report, char decimalSeparator) {
    if (report.seconds <= 0) return std::nullopt;
    const double speed = static_cast<double>(report.rawLength) / (report.seconds * 1024);
    return std::string(u8"Время обработки: "_cp) + numformat::Fixed2(report.seconds, decimalSeparator) +
           std::string(u8" сек., Скорость обработки: "_cp) + numformat::Fixed2(speed, decimalSeparator) +
           std::string(u8" Кб/сек."_cp);
}
