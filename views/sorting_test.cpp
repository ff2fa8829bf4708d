#include "views/sorting.h"

#include <gtest/gtest.h>

TEST(Sorting, CompareFloatDescPutsLargerFirst) {
    EXPECT_EQ(sorting::CompareFloatDesc(2.5, 1.0), -1);
    EXPECT_EQ(sorting::CompareFloatDesc(1.0, 2.5), 1);
    EXPECT_EQ(sorting::CompareFloatDesc(-0.0, 0.0), 0);
}

TEST(Sorting, SortMarkIsBulletAndSpace) {
    EXPECT_EQ(sorting::kSortMark, "\x95 ");
    EXPECT_EQ(sorting::WithSortMark(u8"ВА"_cp), std::string("\x95 ") + std::string(u8"ВА"_cp));
    EXPECT_EQ(sorting::WithoutSortMark(sorting::WithSortMark(u8"ВА"_cp)), u8"ВА"_cp);
    EXPECT_EQ(sorting::WithoutSortMark(u8"ВА"_cp), u8"ВА"_cp);  // no bullet: unchanged
    EXPECT_EQ(sorting::WithoutSortMark("\x95"), "");            // too short to hold the whole mark
}

TEST(Sorting, LocaleTextCompareOrdersCyrillicCaseSensitively) {
    const sorting::TextCompare compare = sorting::LocaleTextCompare();
    EXPECT_LT(compare(u8"арбуз"_cp, u8"банан"_cp), 0);
    EXPECT_LT(compare(u8"банан"_cp, u8"яблоко"_cp), 0);
    EXPECT_GT(compare(u8"яблоко"_cp, u8"арбуз"_cp), 0);
    EXPECT_LT(compare("zebra", u8"арбуз"_cp), 0);  // Latin before Cyrillic
    EXPECT_NE(compare(u8"Дом"_cp, u8"дом"_cp), 0);
    EXPECT_EQ(compare(u8"дом"_cp, u8"дом"_cp), 0);
}
