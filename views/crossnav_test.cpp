#include "views/crossnav.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

namespace {

int codePoints(std::string_view a, std::string_view b) { return a.compare(b); }

// A stem list filled from `stems`, in their order.
ListModel stemList(const WordList& stems) {
    ListModel list = MakeWordListModel(WordListKind::kStems);
    list.sortColumn = kWordIdColumn + 1;  // all links 0: the order stays
    FillWordList(list, stems, "", WordTypeFilter{}, WordTotals{}, ',', codePoints);
    return list;
}

const RelatedButton& button(std::string_view name) {
    for (const RelatedButton& b : kRelatedButtons) {
        if (b.name == name) return b;
    }
    throw std::logic_error("no such button");
}

}  // namespace

TEST(CrossNav, FilterTextsOfTheButtons) {
    EXPECT_EQ(RelatedFilterText(button("ToolButton5").filterStart, {"12", "7"}), "1,,12,7,");
    EXPECT_EQ(RelatedFilterText(button("ToolButton6").filterStart, {"12", "7"}), ",12,7,");
    EXPECT_EQ(RelatedFilterText(button("ToolButton12").filterStart, {"12,7,"}), "0,,12,7,,");
}

TEST(CrossNav, SelectedRowsAreReadInListOrderOnce) {
    const WordList source = {{"a", {12, 1, 0, 0, 1}}, {"b", {7, 1, 0, 0, 1}}, {"c", {3, 1, 0, 0, 1}}};
    const ListModel stems = stemList(source);
    const std::array<std::size_t, 4> selected = {1, 0, 1, 9};
    EXPECT_EQ(RelatedFilter(stems, selected, kWordIdColumn, "1,,"), "1,,12,7,");
    EXPECT_FALSE(RelatedFilter(stems, {}, kWordIdColumn, "1,,").has_value());  // nothing selected
}

TEST(CrossNav, ButtonsReadTheStemIdColumnOfTheirSource) {
    const std::array<std::vector<ListColumn>, 3> columns = {WordListColumns(WordListKind::kStems),
                                                            WordListColumns(WordListKind::kWords), ExprListColumns()};
    for (const RelatedButton& b : kRelatedButtons) {
        const std::string& caption = columns[static_cast<std::size_t>(b.source)].at(b.sourceColumn).caption;
        EXPECT_EQ(caption, b.source == ResultList::kWordExpr ? "SWIDs" : "SWID") << b.name;
    }
}

TEST(CrossNav, TwoWordsOfOneStemShowThatStemOnce) {
    WordList words = {{"a", {0, 1, 0, 4, 1}}, {"b", {1, 1, 0, 4, 1}}, {"c", {2, 1, 0, 6, 1}}};
    ListModel wordList = MakeWordListModel(WordListKind::kWords);
    FillWordList(wordList, words, "", WordTypeFilter{}, WordTotals{3, 3}, ',', codePoints);
    const RelatedButton& toStems = button("ToolButton9");
    const std::array<std::size_t, 2> selected = {0, 1};
    const std::optional<std::string> filter =
        RelatedFilter(wordList, selected, toStems.sourceColumn, toStems.filterStart);
    ASSERT_EQ(filter, "0,,4,4,");

    WordList stems = {{"x", {4, 2, 0, 0, 1}}, {"y", {6, 1, 0, 0, 1}}, {"z", {14, 1, 0, 0, 1}}};
    ListModel stemList = MakeWordListModel(WordListKind::kStems);
    FillWordList(stemList, stems, *filter, WordTypeFilter{}, WordTotals{4, 3}, ',', codePoints);
    ASSERT_EQ(stemList.rows.size(), 1u);
    EXPECT_EQ(stemList.cell(0, 0), "x");
}
