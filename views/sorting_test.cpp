#include "views/sorting.h"

#include <gtest/gtest.h>

#include "settings/locale_for_tests.h"
#include "views/listmodel.h"

using settings::testutil::kRussianLocale;

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

TEST(Sorting, LocaleTextCompareFollowsTheRussianCollation) {
    // The collation is read once per process, so the locale is set before the first call.
    if (!settings::testutil::russianLocaleAvailable())
        GTEST_SKIP() << kRussianLocale << " can be neither found nor made";
    settings::testutil::ScopedLocale russian(kRussianLocale);
    const sorting::TextCompare compare = sorting::LocaleTextCompare();
    // Code-point order would put every capital before the small letters and "ё" after "я".
    EXPECT_LT(compare(u8"дом"_cp, u8"Дым"_cp), 0);
    EXPECT_LT(compare(u8"ёж"_cp, u8"жук"_cp), 0);
    EXPECT_LT(compare(u8"банан"_cp, u8"яблоко"_cp), 0);
    EXPECT_LT(compare("zebra", u8"арбуз"_cp), 0);   // Latin before Cyrillic
    EXPECT_NE(compare(u8"Дом"_cp, u8"дом"_cp), 0);  // case-sensitive
    EXPECT_EQ(compare(u8"дом"_cp, u8"дом"_cp), 0);
}
