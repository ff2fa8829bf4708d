#include "views/wordlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/wordcode.h"
#include "views/listtext.h"

namespace {

using wordcode::make;

constexpr std::uint32_t kIgnored = wordcode::kIgnoredBit;

ListEntry<WordDescription> entry(std::string_view text, std::int32_t id, std::uint32_t code, std::int32_t count = 1,
                                 double weight = 1, std::int32_t link = 0) {
    return {std::string(text), WordDescription{id, count, code, link, weight}};
}

int codePoints(std::string_view a, std::string_view b) { return a.compare(b); }

// The ids (column 9) of the rows, in display order.
std::string ids(const ListModel& list) {
    std::string text;
    for (std::size_t r = 0; r < list.rows.size(); ++r) text += list.cell(r, kWordIdColumn) + " ";
    return text;
}

ListModel filled(const WordList& source, std::string_view extraFilter, const WordTypeFilter& filter = {},
                 unsigned sortColumn = 9) {
    ListModel list = MakeWordListModel(WordListKind::kStems);
    list.sortColumn = sortColumn;
    FillWordList(list, source, extraFilter, filter, WordTotals{10, 5}, ',', codePoints);
    return list;
}

// The cells of the one row a word list filled with this entry shows, no type hidden.
std::vector<std::string> shownCells(const ListEntry<WordDescription>& e, const WordTotals& totals, char separator) {
    const WordList source = {e};
    WordTypeFilter all;
    all.hidden.fill(false);
    ListModel list = MakeWordListModel(WordListKind::kStems);
    FillWordList(list, source, "", all, totals, separator, codePoints);
    return list.rows.size() == 1 ? list.row(0).cells : std::vector<std::string>();
}

}  // namespace

TEST(WordList, InitialModelIsSortedByWeightWithCollapsedColumns) {
    const ListModel stems = MakeWordListModel(WordListKind::kStems);
    EXPECT_EQ(stems.shownCaption(4), "\x95 " + std::string(u8"ВА"_cp));
    EXPECT_EQ(stems.columns.at(6).width, 0);                                                   // "ВП"
    EXPECT_EQ(stems.columns.at(10).width, 0);                                                  // "RID"
    EXPECT_EQ(WordListColumns(WordListKind::kWords).at(10).width, ListColumn::kDefaultWidth);  // "SWID"
}

TEST(WordList, CellTexts) {
    const WordTotals totals{7, 4};
    std::vector<std::string> cells = shownCells(
        entry(u8"книг"_cp, 3, make(wordcode::kName, wordcode::kCyrillic) | kIgnored, 1, 0.125, -1), totals, ',');
    const std::vector<std::string> expected = {
        std::string(u8"книг"_cp), "S", "1",         "0,1428", "0,13", "0,0178", "0,0312", std::string(u8"Р"_cp),
        std::string(u8"Н"_cp),    "3", "4294967295"};
    EXPECT_EQ(cells, expected);

    cells = shownCells(entry("x", 0, make(wordcode::kNormal, wordcode::kLatin), 7, 2.675), totals, '.');
    EXPECT_EQ(cells[1], " ");
    EXPECT_EQ(cells[3], "1");  // all occurrences of the document
    EXPECT_EQ(cells[4], "2.68");
    EXPECT_EQ(cells[8], " ");

    EXPECT_EQ(shownCells(entry("x", 0, 0, 1), WordTotals{}, ',').at(3), "0");  // no total: no infinity
}

TEST(WordList, LettersOutsideTheTablesReadQuestionMark) {
    EXPECT_EQ(ScriptLetter(make(0, wordcode::kMixed)), u8"А"_cp);
    EXPECT_EQ(ScriptLetter(make(0, wordcode::kOtherScript)), u8"С"_cp);
    EXPECT_EQ(ScriptLetter(make(0, 5)), "?");
    EXPECT_EQ(TypeLetter(wordcode::kAlnum), u8"М"_cp);
    EXPECT_EQ(TypeLetter(wordcode::kOther), "?");
    EXPECT_EQ(TypeLetter(9), "?");
}

TEST(WordList, TypeFilterCrossesAbbreviationsAndNames) {
    WordTypeFilter filter;
    filter.hidden.fill(false);
    filter.hidden[1] = true;  // "Аббревиатуры"
    EXPECT_TRUE(WordHiddenByType(filter, wordcode::kAbbrev));
    EXPECT_FALSE(WordHiddenByType(filter, wordcode::kName));
    filter.hidden.fill(false);
    filter.hidden[2] = true;  // "Возможные названия и имена"
    EXPECT_TRUE(WordHiddenByType(filter, wordcode::kName));
    EXPECT_FALSE(WordHiddenByType(filter, wordcode::kAbbrev));

    const WordTypeFilter initial;
    EXPECT_TRUE(WordHiddenByType(initial, wordcode::kAlnum));
    EXPECT_TRUE(WordHiddenByType(initial, wordcode::kOther));
    EXPECT_TRUE(WordHiddenByType(initial, wordcode::kNormal | kIgnored));
    EXPECT_FALSE(WordHiddenByType(initial, wordcode::kNumber));
    filter.hidden.fill(true);
    EXPECT_FALSE(WordHiddenByType(filter, 6));  // a type above 5 is never hidden
}

TEST(WordList, AdditionalFilterMatchesWholeIds) {
    const WordList source = {entry("a", 5, 0, 1, 1, 12), entry("b", 15, 0, 1, 1, 7), entry("c", 52, 0, 1, 1, 5)};
    EXPECT_EQ(ids(filled(source, "0,,5,")), "5 ");
    EXPECT_EQ(ids(filled(source, "1,,5,")), "52 ");  // "1" selects the link
    EXPECT_EQ(ids(filled(source, "1,,12,7,")), "5 15 ");
    EXPECT_EQ(ids(filled(source, "")), "5 15 52 ");
    EXPECT_EQ(ids(filled(source, "x")), "");  // no comma: the whole text is the body
}

TEST(WordList, FillCountsVisibleRowsIntoTheStatus) {
    const WordList source = {entry("a", 0, wordcode::kNormal, 3), entry("b", 1, wordcode::kAlnum, 5)};
    ListModel list = MakeWordListModel(WordListKind::kWords);
    FillWordList(list, source, "", WordTypeFilter{}, WordTotals{8, 2}, ',', codePoints);
    EXPECT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.status, "3 (1) / 8 (2) = 37,50% (50,00%)");

    list.status = "previous";
    const WordList none;
    FillWordList(list, none, "", WordTypeFilter{}, WordTotals{}, ',', codePoints);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(list.status, "previous");  // a zero total keeps the old text
}

TEST(WordList, StatusText) {
    EXPECT_EQ(ListStatusText(310, 40, 1000, 120, ','), "310 (40) / 1000 (120) = 31,00% (33,33%)");
    EXPECT_EQ(ListStatusText(0, 0, 1000, 0, ','), "0 (0) / 1000 (0) = 0,00% (0,00%)");  // no entries: no division
}

TEST(WordList, SortsByDisplayedTextsOfTheSortColumn) {
    const WordList source = {entry("b", 0, 0, 1, 1.004), entry("a", 1, 0, 4, 0.5), entry("c", 2, 0, 2, 0.996),
                             entry("d", 3, kIgnored, 9, 7)};
    WordTypeFilter all;
    all.hidden.fill(false);
    ListModel list = filled(source, "", all, 4);
    EXPECT_EQ(ids(list), "3 0 2 1 ");  // 1,00 and 1,00 keep their order

    ClickColumn(list, 2, kWordListKeys, ',', codePoints);  // "ЧА"
    EXPECT_EQ(list.shownCaption(2), "\x95 " + std::string(u8"ЧА"_cp));
    EXPECT_EQ(list.shownCaption(4), u8"ВА"_cp);
    EXPECT_EQ(ids(list), "3 1 2 0 ");
    ClickColumn(list, 2, kWordListKeys, ',', codePoints);  // again: mark and order stay
    EXPECT_EQ(list.shownCaption(2), "\x95 " + std::string(u8"ЧА"_cp));
    EXPECT_EQ(ids(list), "3 1 2 0 ");

    ClickColumn(list, 1, kWordListKeys, ',', codePoints);  // " " before "S"
    EXPECT_EQ(list.cell(list.rows.size() - 1, 1), "S");

    ClickColumn(list, 0, kWordListKeys, ',', codePoints);
    EXPECT_EQ(ids(list), "1 0 2 3 ");
    ClickColumn(list, 11, kWordListKeys, ',', codePoints);  // no such column: nothing changes
    EXPECT_EQ(list.sortColumn, 0u);
}
