#include "document/document.h"

#include <gtest/gtest.h>

#include "engine/chunkedarray.h"
#include "engine/cp1251.h"
#include "engine/test_failingnew.h"

namespace {

std::string page() {
    return std::string(
        u8"<html><head><title>Отчёт</title></head><body><h1>Годовой отчёт</h1>"
        u8"<p>Первый год работы был трудным. Второй год работы принёс успех.</p></body></html>"_cp);
}

TEST(Document, AnalysisFillsEveryPaneAndEmptiesTheExtraFilters) {
    Document doc;
    doc.wfExtraFilter = "1,,0,";
    doc.summaryLimit = 3;
    auto report = AnalyseSource(doc, page());
    ASSERT_TRUE(report);
    EXPECT_EQ(doc.analysis.caption, u8"Отчёт - Sumoran"_cp);
    EXPECT_TRUE(doc.wfExtraFilter.empty());
    EXPECT_FALSE(doc.wordBase.rows.empty());
    EXPECT_EQ(doc.wordFull.rows.size(), doc.analysis.slWordFull.size()) << "no word is hidden by the initial filter";
    EXPECT_EQ(doc.wordExpr.rows.size(), 1u) << u8"год работы"_cp;
    ASSERT_EQ(doc.sentences.rows.size(), 3u);
    EXPECT_EQ(doc.sentences.sortColumn, 3u);
    EXPECT_EQ(doc.summaryLimit, kNoLimitItem);
    ASSERT_FALSE(doc.summary.paragraphs.empty());
    EXPECT_EQ(doc.summary.paragraphs[0].text, u8"Годовой отчёт"_cp);
    EXPECT_TRUE(doc.summary.paragraphs[0].bold);
    EXPECT_TRUE(doc.summary.status);
}

TEST(Document, AnEmptySourceStartsNoRunAndAPageWithoutMarkupKeepsTheLists) {
    Document doc;
    EXPECT_FALSE(AnalyseSource(doc, ""));
    AnalyseSource(doc, page());
    const auto rows = doc.wordBase.rows.size();
    const auto paragraphs = doc.summary.paragraphs;
    auto report = AnalyseSource(doc, "plain text");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->status, ScanStatus::kNoMarkup);
    EXPECT_EQ(doc.wordBase.rows.size(), rows);
    EXPECT_EQ(doc.summary.paragraphs, paragraphs) << "the summary is rebuilt from the sentence rows that stay";
}

TEST(Document, ARunOutOfMemoryChangesNothingShown) {
    Document doc;
    AnalyseSource(doc, page());
    doc.wfExtraFilter = "1,,0,";
    RebuildSummary(doc, 1);
    const auto stems = doc.wordBase.rows;
    const auto sentences = doc.sentences.rows.size();
    const auto paragraphs = doc.summary.paragraphs;
    const auto status = doc.summary.status;
    const auto time = doc.timeMessage;
    // The stem table's first chunk of records cannot be had.
    failingnew::FailAllocationOf(ChunkedArray<VocRecord>::kChunkSize * sizeof(VocRecord));
    auto report = AnalyseSource(doc, std::string(u8"<html><body><p>Другой текст страницы.</p></body></html>"_cp));
    ASSERT_TRUE(failingnew::StopFailing());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->status, ScanStatus::kOutOfMemory);
    EXPECT_EQ(doc.wordBase.rows, stems);
    EXPECT_EQ(doc.sentences.rows.size(), sentences);
    EXPECT_EQ(doc.summary.paragraphs, paragraphs);
    EXPECT_EQ(doc.summary.status, status);
    EXPECT_EQ(doc.summaryLimit, 1u);
    EXPECT_EQ(doc.wfExtraFilter, "1,,0,");
    EXPECT_EQ(doc.timeMessage, time);
}

TEST(Document, SummaryLimitsPickFromTheMenu) {
    Document doc;
    AnalyseSource(doc, page());
    RebuildSummary(doc, 1);  // "3 предложения"
    EXPECT_EQ(doc.summaryLimit, 1u);
    EXPECT_LE(doc.summary.paragraphs.size(), 3u);
}

}  // namespace
