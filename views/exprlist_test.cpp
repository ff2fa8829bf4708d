#include "views/exprlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ListEntry<ExprDescription> entry(std::int32_t id, std::vector<std::int32_t> stems, ExprFlags flags = {},
                                 double stemWeightSum = 1, std::int32_t count = 2) {
    ExprDescription d;
    d.id = id;
    d.count = count;
    d.flags = flags;
    d.weight = 1;
    d.stemText = "s" + std::to_string(id);
    d.length = static_cast<std::int32_t>(stems.size());
    for (std::size_t i = 0; i < stems.size() && i < d.stemIds.size(); ++i) d.stemIds[i] = stems[i];
    d.stemWeightSum = stemWeightSum;
    return {"e" + std::to_string(id), d};
}

int codePoints(std::string_view a, std::string_view b) { return a.compare(b); }

std::string order(const ListModel& list) {
    std::string text;
    for (std::size_t r = 0; r < list.rows.size(); ++r) text += list.cell(r, 5) + " ";
    return text;
}

ListModel filled(const ExprList& source, std::string_view extraFilter, const ExprTypeFilter& filter = {}) {
    ListModel list = MakeExprListModel();
    FillExprList(list, source, extraFilter, filter, ExprTotals{0, 0, 4, 0}, ',', codePoints);
    return list;
}

// The cells of the one row a combination list filled with this entry shows, no type hidden.
std::vector<std::string> shownCells(const ListEntry<ExprDescription>& e) {
    ExprTypeFilter all;
    all.hidden.fill(false);
    const ExprList source = {e};
    const ListModel list = filled(source, "", all);
    return list.rows.size() == 1 ? list.row(0).cells : std::vector<std::string>();
}

}  // namespace

TEST(ExprList, InitialModelIsSortedByStemAverage) {
    EXPECT_EQ(MakeExprListModel().shownCaption(4), "\x95 " + std::string(u8"ВСА"_cp));
}

TEST(ExprList, CellTexts) {
    const std::vector<std::string> expected = {"e9", std::string(u8" НС "_cp), "5", "1,00", "1,88", "9", "s9", "12,7,"};
    EXPECT_EQ(shownCells(entry(9, {12, 7}, ExprFlags(ExprFlag::kNotNormalized) | ExprFlag::kNavigational, 3.75, 5)),
              expected);
    EXPECT_EQ(ExprTypeText(ExprFlags::FromBits(15)), u8" НСО"_cp) << "no combination is listed as absorbed";

    ListEntry<ExprDescription> odd = entry(1, {});
    EXPECT_EQ(shownCells(odd).at(4), "0,00");  // no stems: no division by zero
    odd.desc.length = 40;                      // longer than the record holds: clamped
    EXPECT_EQ(StemIdsText(odd.desc), "0,0,0,0,0,0,");
}

TEST(ExprList, TypeFilterHidesOnAnyMatchingFlag) {
    ExprTypeFilter filter;
    filter.hidden = {false, false, true, false, false};  // "Не нормализованные словосочетания" unchecked
    EXPECT_TRUE(ExprHiddenByType(filter, ExprFlags::FromBits(6)));
    filter.hidden = {false, false, false, true, false};  // "Навигационные словосочетания" unchecked
    EXPECT_TRUE(ExprHiddenByType(filter, ExprFlags::FromBits(6)));
    EXPECT_FALSE(ExprHiddenByType(filter, {}));
    EXPECT_EQ(order(filled({entry(1, {1, 2}), entry(2, {1, 2}, ExprFlags::FromBits(6))}, "")),
              "1 ");  // initially only the normal ones
}

TEST(ExprList, AdditionalFilterMatchesAnyStem) {
    const ExprList source = {entry(1, {3, 12}), entry(2, {3, 4}), entry(3, {112, 120})};
    EXPECT_EQ(order(filled(source, ",12,")), "1 ");
    EXPECT_EQ(order(filled(source, ",12,4,")), "1 2 ");
    EXPECT_EQ(order(filled(source, "0,,12,7,,")), "1 ");
}

TEST(ExprList, StatusUsesTheListedTotals) {
    ListModel list = filled({entry(1, {1, 2}, {}, 1, 3)}, "");
    EXPECT_EQ(list.status, "3 (1) / 4 (0) = 75,00% (0,00%)");
}

TEST(ExprList, SortsByWeightDescendingAndOrderAscending) {
    const ExprList source = {entry(3, {1, 2}, {}, 2), entry(7, {1, 2}, {}, 8), entry(5, {1, 2}, {}, 4)};
    ListModel list = filled(source, "");
    EXPECT_EQ(order(list), "7 5 3 ");  // "ВСА" 4,00 2,00 1,00
    ClickColumn(list, 5, kExprListKeys, ',', codePoints);
    EXPECT_EQ(order(list), "3 5 7 ");
    ClickColumn(list, 2, kExprListKeys, ',', codePoints);  // all counts equal: order kept
    EXPECT_EQ(order(list), "3 5 7 ");
}
