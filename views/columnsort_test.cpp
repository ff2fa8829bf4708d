#include "views/columnsort.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr std::array<ColumnKey, 6> kKeys = {ColumnKey::kText,      ColumnKey::kIntegerDesc, ColumnKey::kIntegerAsc,
                                            ColumnKey::kFloatDesc, ColumnKey::kIdAsc,       ColumnKey::kIdListAsc};

int codePoints(std::string_view a, std::string_view b) { return a.compare(b); }

// Sorts a record-backed list whose entry i shows cells[i] in `column`; returns the entries in
// display order, one digit each.
std::string sorted(unsigned column, const std::vector<std::string>& cells) {
    ListModel list;
    list.columns.resize(kKeys.size());
    list.sortColumn = column;
    list.source = MakeRecordSource(
        cells, [column](const std::string& cell, unsigned k) { return k == column ? cell : std::string(); });
    for (std::uint32_t i = 0; i < cells.size(); ++i) list.rows.push_back(i);
    SortRows(list, kKeys, ',', codePoints);
    std::string order;
    for (std::uint32_t entry : list.rows) order += std::to_string(entry);
    return order;
}

}  // namespace

TEST(ColumnSort, FloatCellsSortByTheirDisplayedText) {
    // 2,00 shown for both 1.996 and 2.004: equal, so they keep their order.
    EXPECT_EQ(sorted(3, {"1,5", "2,00", "10", "2,00"}), "2130");
    // Cut texts: 0,1428 (1/7) against 0,1666 (1/6) and 1.
    EXPECT_EQ(sorted(3, {"0,1428", "1", "0,1666"}), "120");
}

TEST(ColumnSort, UnreadableFloatCellsSortDeterministically) {
    EXPECT_EQ(FloatCellValue("1,5E-7", ','), 1.5e-7);
    EXPECT_EQ(FloatCellValue("1,25E-", ','), 1.25);  // cut inside the exponent: the visible digits
    EXPECT_EQ(FloatCellValue("1.5", ','), 1.0);      // a point is not the separator
    EXPECT_FALSE(FloatCellValue("abc", ',').has_value());
    EXPECT_FALSE(FloatCellValue("", ',').has_value());
    EXPECT_EQ(sorted(3, {"abc", "1,25E-", "3", ""}), "2103");  // unreadable ones last
}

TEST(ColumnSort, IntegerAndIdentifierDirections) {
    EXPECT_EQ(sorted(1, {"7", "12", "-3", "12"}), "1302");  // descending, ties stable
    EXPECT_EQ(sorted(2, {"7", "12", "-3"}), "201");         // ascending
    EXPECT_EQ(sorted(4, {"10", "9", "100"}), "102");        // numeric, not by text
    EXPECT_EQ(sorted(5, {"12,7,", "3,4,", "12,10,", "12,"}), "1302");
}
