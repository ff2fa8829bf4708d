#include "summary/summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "summary/forcedmarks.h"
#include "summary/sentencelist.h"
#include "summary/summarylimits.h"

namespace {

using ::testing::ElementsAre;

// A sentence list in document order; row r reads "sR" and has the given weight, word count
// (default 1) and heading mark (default none).
ListModel sentences(const std::vector<double>& weights, const std::vector<int>& words = {},
                    const std::vector<std::string>& headings = {}) {
    auto table = std::make_shared<SentenceTable>(',');
    for (std::size_t r = 0; r < weights.size(); ++r) {
        table->add("s" + std::to_string(r), weights[r], r < words.size() ? words[r] : 1,
                   r < headings.size() ? headings[r] : "");
    }
    ListModel list;
    list.columns = SentenceListColumns();
    list.rows.resize(table->size());
    std::iota(list.rows.begin(), list.rows.end(), std::uint32_t{0});
    list.source = std::move(table);
    return list;
}

// Builds the summary under the limits menu item with this caption and returns the chosen rows.
std::vector<int> chosen(ListModel& list, std::string_view caption = "Без ограничения", double wfTotalCount = 1000) {
    std::string cp = cp1251::fromUtf8Strict(caption).value();
    auto limit = std::find_if(kSummaryLimits.begin(), kSummaryLimits.end(), [&](auto& l) { return l.caption == cp; });
    Summary s = BuildSummary(list, ResolveMaxSentences(*limit, wfTotalCount), limit->percentLimit, wfTotalCount, ',');
    std::vector<int> rows;
    for (const SummaryParagraph& p : s.paragraphs) rows.push_back(std::stoi(p.text.substr(1)));
    return rows;
}

std::vector<int> unlimited(std::vector<double> weights) {
    ListModel list = sentences(weights);
    return chosen(list);
}

TEST(SummaryLimits, MenuItems) {
    std::vector<std::string> captions;
    std::vector<int> counts;
    for (const SummaryLimit& l : kSummaryLimits) {
        captions.push_back(cp1251::toUtf8(l.caption));
        counts.push_back(ResolveMaxSentences(l, 250.7));
    }
    EXPECT_THAT(captions, ElementsAre("Без ограничения", "3 предложения", "5 предложений", "10 предложений", "~ 5%",
                                      "~ 10%", "~20%", "~25%"));
    EXPECT_THAT(counts, ElementsAre(250, 3, 5, 10, 250, 250, 250, 250));
    EXPECT_EQ(kSummaryLimits[4].percentLimit, 5);
    EXPECT_TRUE(kSummaryLimits[3].separatorAfter);
    EXPECT_EQ(ResolveMaxSentences(kSummaryLimits[kNoLimitItem], 1e300), std::numeric_limits<int>::max());
}

TEST(BuildSummary, ChoosesTheFirstRowAndTheTopsOfRises) {
    EXPECT_THAT(unlimited({1, 2, 3}), ElementsAre(0, 2));
    EXPECT_THAT(unlimited({5, 1, 2, 3}), ElementsAre(0));
    EXPECT_THAT(unlimited({5, 1, 3, 1, 6, 1}), ElementsAre(0, 4));
    EXPECT_THAT(unlimited({1, 5, 5, 2}), ElementsAre(0, 1));
    EXPECT_THAT(unlimited({7}), ElementsAre(0));
    EXPECT_TRUE(unlimited({}).empty());
    // Row 1 is no top unless heavier than row 0; later tops must beat row 0; a plateau's first row is its top.
    EXPECT_THAT(unlimited({2, 2, 1, 3, 1, 2, 0, 4, 4, 1}), ElementsAre(0, 3, 7));
}

TEST(BuildSummary, LimitsAreTestedBetweenCycles) {
    ListModel list = sentences({1, 3, 2, 4, 1, 5, 1, 6, 1, 7, 1});
    EXPECT_THAT(chosen(list), ElementsAre(0, 1, 3, 5, 7, 9));
    EXPECT_THAT(chosen(list, "3 предложения"), ElementsAre(0, 1, 3));
    ToggleRowMark(list, 4);   // met in the last cycle: written beyond the limit
    ToggleRowMark(list, 10);  // beyond the point where the limit stops the walk
    EXPECT_THAT(chosen(list, "3 предложения"), ElementsAre(0, 1, 3, 4));

    ListModel heavyFirst = sentences({1, 3, 1, 4, 1}, {5, 1, 1, 1, 1});
    ToggleRowMark(heavyFirst, 2);
    EXPECT_THAT(chosen(heavyFirst, "~ 5%", 100), ElementsAre(0));
    EXPECT_THAT(chosen(heavyFirst, "~ 10%", 100), ElementsAre(0, 1, 2, 3));
    EXPECT_TRUE(IsRowMarked(heavyFirst, 2));  // a limit keeps the marks
}

TEST(BuildSummary, ForcedRowsAreWrittenInPlaceAndOnce) {
    ListModel list = sentences({5, 1, 3, 1, 6, 1});
    EXPECT_TRUE(ToggleRowMark(list, 2));
    EXPECT_THAT(chosen(list), ElementsAre(0, 2, 4));
    EXPECT_FALSE(ToggleRowMark(list, 2));
    EXPECT_THAT(chosen(list), ElementsAre(0, 4));
    // Forced rows inside a rise, at its top and right after it.
    ListModel rise = sentences({1, 2, 3, 2, 1, 6, 7, 2});
    for (std::size_t r : {1, 2, 3, 6, 7}) ToggleRowMark(rise, r);
    EXPECT_THAT(chosen(rise), ElementsAre(0, 1, 2, 3, 6, 7));
}

TEST(BuildSummary, HeadingMarksForceHeadingsInBold) {
    ListModel list = sentences({5, 1, 1, 1, 6, 1}, {}, {"H1", "H2", "", "B", "", "H3"});
    ToggleRowMark(list, 2);
    SetHeadingMarks(list, MarkChange::kSet);
    Summary summary = BuildSummary(list, 1000, 101, 1000, ',');
    std::vector<bool> bold;
    for (const SummaryParagraph& p : summary.paragraphs) bold.push_back(p.bold);
    EXPECT_THAT(bold, ElementsAre(true, true, false, true, false, true));

    SetHeadingMarks(list, MarkChange::kClear);  // the row forced on its own keeps its mark
    EXPECT_THAT(chosen(list), ElementsAre(0, 2, 4));
    ClearMarks(list);
    EXPECT_THAT(chosen(list), ElementsAre(0, 4));
}

TEST(BuildSummary, ReadsTheCellsInDocumentOrder) {
    ListModel list = sentences({1, 4, 2, 3, 1});
    list.setCell(1, sentencecol::kText, "s1 edited");
    ClickSentenceColumn(
        list, sentencecol::kWeight, [](std::string_view a, std::string_view b) { return a.compare(b); }, ',');
    Summary summary = BuildSummary(list, 1000, 101, 1000, ',');
    EXPECT_EQ(list.sortColumn, sentencecol::kOrder);
    EXPECT_EQ(list.cell(1, sentencecol::kOrder), "1");
    EXPECT_THAT(summary.paragraphs,
                ElementsAre(SummaryParagraph{"s0"}, SummaryParagraph{"s1 edited"}, SummaryParagraph{"s3"}));
    ListModel flat = sentences({1, 4, 2, 2.004, 1});  // 2,00 twice: no rise, as the cells show it
    EXPECT_THAT(chosen(flat), ElementsAre(0, 1));
}

TEST(BuildSummary, StatusCountsSentencesAndWords) {
    ListModel list = sentences({1, 2, 1}, {2, 3, 4});
    EXPECT_EQ(cp1251::toUtf8(BuildSummary(list, 30, 101, 30, ',').status.value()),
              "Предложений: 2, Слов: 5 / 30 = 16,67%");
    // Without a word count the status is kept and no percentage limit applies.
    Summary summary = BuildSummary(list, 100, 5, 0, ',');
    EXPECT_EQ(summary.status, std::nullopt);
    EXPECT_EQ(summary.paragraphs.size(), 2u);
}

}  // namespace
