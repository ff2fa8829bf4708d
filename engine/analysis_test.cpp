#include "engine/analysis.h"

#include <gtest/gtest.h>

#include <string>

#include "base/cp1251.h"
#include "base/test_failingnew.h"
#include "engine/test_analysis.h"

namespace {

// The lists, totals and caption a run leaves, as one text.
std::string results(const AnalysisState& s) {
    std::string out = s.title.value_or("(none)") + "\n";
    auto words = [&](const WordList& list, const WordTotals& t) {
        for (const auto& e : list) out += e.text + ":" + std::to_string(e.desc.count) + " ";
        out += std::to_string(t.totalCount) + "/" + std::to_string(t.entryCount) + "/" +
               std::to_string(t.countedCount) + "/" + std::to_string(t.countedEntries) + "\n";
    };
    words(s.slWordBase, s.wbTotals);
    words(s.slWordFull, s.wfTotals);
    for (const auto& e : s.slWordExpr) out += e.text + ":" + std::to_string(e.desc.count) + " ";
    const ExprTotals& t = s.weTotals;
    out += std::to_string(t.repeatedCount) + "/" + std::to_string(t.entryCount) + "/" + std::to_string(t.listedCount) +
           "/" + std::to_string(t.listedEntries);
    return out;
}

// The first allocation of a table takes one chunk of its records; the stem table makes its
// chunk before the word table, the markup stream its record chunk before the phrase stream.
template <typename Record>
constexpr std::size_t kChunkBytes = ChunkedArray<Record>::kChunkSize * sizeof(Record);

struct TableFailure {
    const char* table;
    std::size_t bytes;
    int spare;
};

TEST(Analysis, ATableOutOfMemoryKeepsThePreviousResults) {
    const TableFailure failures[] = {
        {"stems", kChunkBytes<VocRecord>, 0},     {"words", kChunkBytes<VocRecord>, 1},
        {"exprs", kChunkBytes<ExprRecord>, 0},    {"markup", kChunkBytes<TokenRecord>, 0},
        {"phrases", kChunkBytes<TokenRecord>, 1}, {"phrase references", kChunkBytes<std::uint32_t>, 0},
    };
    const std::string next = Page(u8"<p>другой текст</p>"_cp, "<title>New</title>");
    for (const TableFailure& f : failures) {
        SCOPED_TRACE(f.table);
        Analysed a = Analyse(Page(u8"<p>первый текст, первый текст</p>"_cp, "<title>Old</title>"));
        ASSERT_EQ(a.report.status, ScanStatus::kComplete);
        ASSERT_FALSE(a.state.slWordExpr.empty());
        const std::string before = results(a.state);

        a.state.sourceText = next;
        bool called = false;
        auto consumer = [&](const RunTables&, std::string_view) { called = true; };
        failingnew::FailAllocationOf(f.bytes, f.spare);
        const RunReport report = RunAnalysis(a.state, consumer, consumer);
        EXPECT_TRUE(failingnew::StopFailing()) << "the table's allocation was reached";
        EXPECT_EQ(report.status, ScanStatus::kOutOfMemory);
        EXPECT_FALSE(called);
        EXPECT_EQ(results(a.state), before);
        EXPECT_TRUE(a.state.sourceText.empty()) << "the source is released";

        a.state.sourceText = next;
        EXPECT_EQ(RunAnalysis(a.state).status, ScanStatus::kComplete);
        EXPECT_EQ(a.state.title, "New");
        EXPECT_NE(a.word(u8"другой"_cp), nullptr);
    }
}

}  // namespace
