#include "views/listmodel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Record {
    std::string name;
    int value = 0;
};

std::string format(const Record& r, unsigned column) { return column == 0 ? r.name : std::to_string(r.value); }

TEST(ListModel, RowsAreEntriesOfTheSourceInDisplayOrder) {
    std::vector<Record> records = {{"a", 1}, {"b", 2}, {"c", 3}};
    ListModel list;
    list.columns = {{"name"}, {"value"}};
    list.source = MakeRecordSource(records, format);
    list.rows = {2, 0};
    EXPECT_EQ(list.cell(0, 0), "c");
    EXPECT_EQ(list.row(1).cells, (std::vector<std::string>{"a", "1"}));
    EXPECT_EQ(list.cell(2, 0), "") << "a row past the end reads empty";
    EXPECT_FALSE(list.setCell(0, 0, "x")) << "records are not edited through the list";

    // A list left over from before its records were rebuilt smaller reads empty cells, not freed memory.
    records.resize(1);
    EXPECT_EQ(list.cell(0, 0), "");
    EXPECT_EQ(list.cell(1, 0), "a");
}

}  // namespace
