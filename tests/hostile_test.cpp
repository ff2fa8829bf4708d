// Hostile and very large pages through the whole analysis: no crash, and every list consistent
// with its totals. (Their speed and memory are measured by bench/hostile_bench.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include "document/document.h"
#include "summary/rtfwriter.h"
#include "tests/hostile_pages.h"

namespace {

template <typename Entries>
double countSum(const Entries& entries) {
    return std::accumulate(entries.begin(), entries.end(), 0.0,
                           [](double sum, const auto& e) { return sum + e.desc.count; });
}

// Every row shows an entry of its list's source, each entry at most once, and reads a text in
// every column.
void expectRowsAreDistinctEntries(const ListModel& list) {
    if (list.rows.empty()) return;
    ASSERT_NE(list.source, nullptr);
    std::vector<std::uint32_t> entries = list.rows;
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(std::adjacent_find(entries.begin(), entries.end()), entries.end());
    EXPECT_FALSE(list.cell(list.rows.size() - 1, 0).empty());
}

// Analyses `page` and checks that the lists agree with their totals.
std::unique_ptr<Document> analyse(std::string page) {
    auto result = std::make_unique<Document>();
    Document& doc = *result;
    AnalyseSource(doc, std::move(page));
    const AnalysisState& a = doc.analysis();
    EXPECT_EQ(countSum(a.slWordBase), a.wbTotals.totalCount);
    EXPECT_EQ(countSum(a.slWordFull), a.wfTotals.totalCount);
    EXPECT_EQ(a.wbTotals.totalCount, a.wfTotals.totalCount) << "every word is counted under its stem";
    EXPECT_EQ(static_cast<double>(a.slWordBase.size()), a.wbTotals.entryCount);
    EXPECT_EQ(static_cast<double>(a.slWordFull.size()), a.wfTotals.entryCount);
    EXPECT_EQ(countSum(a.slWordExpr), a.weTotals.listedCount);
    EXPECT_EQ(static_cast<double>(a.slWordExpr.size()), a.weTotals.listedEntries);
    EXPECT_LE(a.weTotals.listedCount, a.weTotals.repeatedCount);
    for (const ListModel* list : {&ListOf(doc, ResultList::kWordBase), &ListOf(doc, ResultList::kWordFull),
                                  &ListOf(doc, ResultList::kWordExpr), &doc.sentences})
        expectRowsAreDistinctEntries(*list);
    EXPECT_LE(doc.summary.paragraphs.size(), doc.sentences.rows.size());
    std::string rtf = SummaryToRtf(doc.summary.paragraphs);
    EXPECT_TRUE(rtf.starts_with("{\\rtf1") && rtf.ends_with("}\n")) << rtf.substr(0, 40);
    return result;
}

TEST(HostilePages, LargeProse) {
    auto doc = analyse(hostile::prose(2 << 20));
    EXPECT_GT(doc->analysis().slWordBase.size(), 1000u);
    EXPECT_GT(doc->sentences.rows.size(), 1000u);
    EXPECT_FALSE(doc->summary.paragraphs.empty());
}

TEST(HostilePages, ATenMegabyteWordIsCut) {
    auto doc = analyse(hostile::singleWord(10 << 20));
    ASSERT_EQ(doc->analysis().slWordFull.size(), 1u);
    EXPECT_EQ(doc->analysis().slWordFull[0].text.size(), 1023u);
}

// Main-text mode parses the page into a tree: deep nesting and a million tags stay bounded and
// still give an analysis, of the main text or of the whole page.
TEST(HostilePages, MainTextOfDeepAndLargeMarkup) {
    for (std::string page : {hostile::nestedElements(100000), hostile::manyTags(1000000)}) {
        Document doc;
        ASSERT_TRUE(Analyse(doc, {{std::move(page)}, CharsetChoice::kAuto, ContentMode::kMain, false}));
        EXPECT_EQ(doc.content().mode, ContentMode::kMain);
        EXPECT_GT(doc.analysis().wfTotals.totalCount, 0);
        EXPECT_GT(doc.content().pageWords, 0u);
    }
}

TEST(HostilePages, AMillionTags) {
    auto doc = analyse(hostile::manyTags(1000000));
    EXPECT_EQ(doc->analysis().wfTotals.totalCount, 250000) << "one-letter runs are skipped";
}

TEST(HostilePages, AMillionImagesWithoutAttributes) {
    Document doc;
    SetIndexOptions(doc, {false, false, true});  // image descriptions are read into the lists
    Analyse(doc, {{hostile::bareImages(1000000)}, CharsetChoice::kAuto, ContentMode::kPage});
    EXPECT_EQ(doc.analysis().wfTotals.totalCount, 3) << "the sentence's two words and the last image's description";
}

TEST(HostilePages, ThreeHundredThousandDistinctWords) {
    for (bool shortWords : {false, true}) {
        auto doc = analyse(hostile::distinctWords(300000, shortWords));
        EXPECT_EQ(doc->analysis().slWordFull.size(), 300000u);
        EXPECT_EQ(ListOf(*doc, ResultList::kWordFull).rows.size(), 300000u) << "none is hidden by the initial filter";
        EXPECT_EQ(doc->sentences.rows.size(), 30000u);
    }
}

TEST(HostilePages, OnePhraseRepeatedAHundredThousandTimes) {
    auto doc = analyse(hostile::repeatedPhrase(100000));
    // The seven-word phrase holds two six-word combinations; every shorter part is absorbed.
    ASSERT_EQ(doc->analysis().slWordExpr.size(), 2u);
    EXPECT_EQ(doc->analysis().slWordExpr[0].desc.count, 100000);
    EXPECT_EQ(doc->analysis().slWordExpr[0].desc.length, 6);
    EXPECT_EQ(doc->sentences.rows.size(), 100000u);
}

TEST(HostilePages, MarkupThatNeverEnds) {
    EXPECT_TRUE(analyse(hostile::onlyLessThan(1 << 20))->analysis().slWordFull.empty());
    auto unterminated = analyse(hostile::unterminated(50000));
    EXPECT_EQ(unterminated->sentences.rows.size(), 1u) << "the text after the opened script is not read";
}

TEST(HostilePages, NulBytesAndASelfFrameset) {
    auto doc = analyse(hostile::withNulBytes(10000));
    EXPECT_FALSE(doc->analysis().slWordFull.empty());
    auto frameset = analyse(hostile::selfFrameset());
    EXPECT_EQ(frameset->analysis().title, "Self");
}

}  // namespace
