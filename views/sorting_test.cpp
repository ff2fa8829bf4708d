#include "views/sorting.h"

#include <gtest/gtest.h>

#include "views/listmodel.h"

TEST(Sorting, CompareFloatDescPutsLargerFirst) {
    EXPECT_EQ(sorting::CompareFloatDesc(2.5, 1.0), -1);
    EXPECT_EQ(sorting::CompareFloatDesc(1.0, 2.5), 1);
    EXPECT_EQ(sorting::CompareFloatDesc(-0.0, 0.0), 0);
}

TEST(Sorting, OnlyTheSortColumnShowsTheBulletBeforeItsCaption) {
    ListModel list;
    list.columns = {{std::string(u8"Слово"_cp)}, {std::string(u8"ВА"_cp)}};
    list.sortColumn = 1;
    EXPECT_EQ(cp1251::toUtf8(list.shownCaption(1)), "• ВА");
    EXPECT_EQ(cp1251::toUtf8(list.shownCaption(0)), "Слово");
}
