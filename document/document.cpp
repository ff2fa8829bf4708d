#include "document/document.h"

#include <algorithm>
#include <tuple>

#include "base/numformat.h"
#include "engine/charset.h"
#include "summary/sentencelist.h"
#include "views/columnsort.h"

// The document's own operations reach its analysis state through this.
struct DocumentAccess {
    static AnalysisState& analysis(Document& doc) { return doc.analysis_; }
    static AnalysisRequest& page(Document& doc) { return doc.page_; }
    static ContentReport& content(Document& doc) { return doc.content_; }
};

namespace {

ResultListState& stateOf(Document& doc, ResultList list) { return doc.lists[static_cast<std::size_t>(list)]; }

const ResultListState& stateOf(const Document& doc, ResultList list) {
    return doc.lists[static_cast<std::size_t>(list)];
}

template <typename Filter>
ResultListState listState(ListModel model, const Filter& filter) {
    ResultListState state;
    state.model = std::move(model);
    static_assert(std::tuple_size_v<decltype(filter.hidden)> <= std::tuple_size_v<decltype(state.typeHidden)>);
    std::ranges::copy(filter.hidden, state.typeHidden.begin());
    state.typeItems = filter.hidden.size();
    return state;
}

template <typename Filter>
Filter typeFilterOf(const ResultListState& state) {
    Filter filter;
    std::copy_n(state.typeHidden.begin(), filter.hidden.size(), filter.hidden.begin());
    return filter;
}

// Reads the parts of a page as the analysis takes them; in main-text mode each part stays apart
// behind the separator, so that each is reduced to its own main text.
PageText readParts(std::span<const std::string> parts, CharsetChoice charset, bool apart) {
    if (!apart) return ReadSavedParts(parts, charset);
    PageText page;
    for (const std::string& part : parts) {
        PageText text = ReadSavedPart(part, charset);
        if (page.text.empty()) {
            page.text = std::move(text.text);  // one part, as most pages are: no copy
        } else {
            page.text += kContentPartSeparator;
            page.text += text.text;
        }
        page.fromUtf8 = page.fromUtf8 || text.fromUtf8;
    }
    return page;
}

// Runs one analysis of `source` and, unless it ran out of memory, rebuilds everything shown from it.
std::optional<RunReport> analyseText(Document& doc, PageText source, CharsetChoice charset, ContentMode content,
                                     bool keepText) {
    if (source.text.empty()) return std::nullopt;
    AnalysisState& analysis = DocumentAccess::analysis(doc);
    analysis.sourceText = std::move(source.text);
    analysis.sourceFromUtf8 = source.fromUtf8;
    analysis.charsetChoice = charset;
    ContentReport read;
    // The reduction writes into `read`: it must not outlive this run, even one that throws.
    struct ReduceReset {
        AnalysisState& analysis;
        ~ReduceReset() { analysis.reduceText = nullptr; }
    } reduceReset{analysis};
    if (content == ContentMode::kMain) {
        analysis.reduceText = [&read](std::string& text) { read = ReduceToMainText(text); };
    } else if (keepText) {
        analysis.reduceText = [&read](std::string& text) { read = ReadPageText(text); };
    }
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
        analysis,
        [&](const RunTables& tables, std::string_view text) {
            BuildSentenceList(doc.sentences, tables.markup, tables.stems, text, analysis.wfTotals.totalCount,
                              doc.decimalSeparator, record ? &wordRows : nullptr);
            if (!record) return;
            AssignSentences(occurrences, wordRows);
            ClearConcordance(doc.concordance);
            doc.concordance.page = std::move(occurrences);
        },
        onScanned);
    // A run that ran out of memory changed nothing: everything shown stays as it was.
    if (report.status == ScanStatus::kOutOfMemory) return report;
    DocumentAccess::content(doc) = std::move(read);
    doc.summary.paragraphs.clear();
    doc.summary.entries.clear();
    for (ResultListState& list : doc.lists) list.extraFilter.clear();
    for (ResultList list : kResultLists) RefillList(doc, list);
    RebuildSummary(doc, kNoLimitItem);
    if (auto message = TimeMessage(report, doc.decimalSeparator)) doc.timeMessage = std::move(message);
    return report;
}

}  // namespace

Document::Document() : compareText(sorting::LocaleTextCompare()) {
    stateOf(*this, ResultList::kWordBase) = listState(MakeWordListModel(WordListKind::kStems), WordTypeFilter{});
    stateOf(*this, ResultList::kWordFull) = listState(MakeWordListModel(WordListKind::kWords), WordTypeFilter{});
    stateOf(*this, ResultList::kWordExpr) = listState(MakeExprListModel(), ExprTypeFilter{});
    sentences.columns = SentenceListColumns();
    sentences.sortColumn = sentencecol::kOrder;
}

std::optional<RunReport> Analyse(Document& doc, AnalysisRequest request) {
    AnalysisRequest& page = DocumentAccess::page(doc);
    const bool apart = request.content == ContentMode::kMain || request.keepText;
    PageText source = readParts(request.parts, request.charset, apart);
    const CharsetChoice charset = request.charset;
    const ContentMode content = request.content;
    const bool keepText = request.keepText;
    if (request.keepParts) {
        page = std::move(request);
    } else {
        page = {};
        request = {};  // the parts are freed before the scan
    }
    return analyseText(doc, std::move(source), charset, content, keepText);
}

std::optional<RunReport> ReadAgain(Document& doc, CharsetChoice charset, ContentMode content) {
    AnalysisRequest& page = DocumentAccess::page(doc);
    if (page.parts.empty()) return std::nullopt;
    page.charset = charset;
    page.content = content;
    const bool apart = content == ContentMode::kMain || page.keepText;
    return analyseText(doc, readParts(page.parts, charset, apart), charset, content, page.keepText);
}

std::optional<RunReport> AnalyseSource(Document& doc, std::string source) {
    DocumentAccess::page(doc) = {};
    return analyseText(doc, {std::move(source), false}, CharsetChoice::kAuto, ContentMode::kPage, false);
}

void SetCoefficients(Document& doc, const Coefficients& koef) { DocumentAccess::analysis(doc).koef = koef; }

void SetStopWords(Document& doc, TVocIndex stopWords) {
    DocumentAccess::analysis(doc).stopWords = std::move(stopWords);
}

void SetIndexOptions(Document& doc, IndexOptions options) { DocumentAccess::analysis(doc).options = options; }

bool FoundNoText(const Document& doc, const RunReport& report) {
    if (report.status == ScanStatus::kNoMarkup) return true;
    return report.status == ScanStatus::kComplete && doc.analysis().wfTotals.totalCount == 0;
}

void RebuildSummary(Document& doc, std::size_t limitIndex) {
    const SummaryLimit& limit = kSummaryLimits.at(limitIndex);
    const double words = doc.analysis().wfTotals.totalCount;
    Summary summary =
        BuildSummary(doc.sentences, ResolveMaxSentences(limit, words), limit.percentLimit, words, doc.decimalSeparator);
    doc.summary.paragraphs = std::move(summary.paragraphs);
    doc.summary.entries = std::move(summary.entries);
    doc.summary.walkEnd = summary.walkEnd;
    if (summary.status) doc.summary.status = std::move(summary.status);
    doc.summaryLimit = limitIndex;
}

ListModel& ListOf(Document& doc, ResultList list) { return stateOf(doc, list).model; }

const ListModel& ListOf(const Document& doc, ResultList list) { return stateOf(doc, list).model; }

const std::string& ExtraFilterOf(const Document& doc, ResultList list) { return stateOf(doc, list).extraFilter; }

std::span<const bool> TypeHiddenOf(const Document& doc, ResultList list) {
    const ResultListState& state = stateOf(doc, list);
    return std::span<const bool>(state.typeHidden).first(state.typeItems);
}

void RefillList(Document& doc, ResultList list) {
    const AnalysisState& a = doc.analysis();
    ResultListState& state = stateOf(doc, list);
    switch (list) {
        case ResultList::kWordBase:
            FillWordList(state.model, a.slWordBase, state.extraFilter, typeFilterOf<WordTypeFilter>(state), a.wbTotals,
                         doc.decimalSeparator, doc.compareText);
            return;
        case ResultList::kWordFull:
            FillWordList(state.model, a.slWordFull, state.extraFilter, typeFilterOf<WordTypeFilter>(state), a.wfTotals,
                         doc.decimalSeparator, doc.compareText);
            return;
        case ResultList::kWordExpr:
            FillExprList(state.model, a.slWordExpr, state.extraFilter, typeFilterOf<ExprTypeFilter>(state), a.weTotals,
                         doc.decimalSeparator, doc.compareText);
            return;
    }
}

void SetTypeShown(Document& doc, ResultList list, std::size_t item, bool shown) {
    ResultListState& state = stateOf(doc, list);
    if (item >= state.typeItems) return;
    state.typeHidden[item] = !shown;
    RefillList(doc, list);
}

void ShowAllTypes(Document& doc, ResultList list) {
    stateOf(doc, list).typeHidden.fill(false);
    RefillList(doc, list);
}

void ClearExtraFilter(Document& doc, ResultList list) {
    stateOf(doc, list).extraFilter.clear();
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
    stateOf(doc, button.target).extraFilter = std::move(*filter);
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
