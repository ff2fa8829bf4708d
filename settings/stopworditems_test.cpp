#include "settings/stopworditems.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/cp1251.h"

namespace settings {
namespace {

std::string cp(std::string_view bytes) { return std::string(bytes); }

TEST(StopWordItemsLower, LowersLatinAndAllCyrillicCapitals) {
    EXPECT_EQ(LowerStopWord(u8"МЫ Ёж ABC-1"_cp), cp(u8"мы ёж abc-1"_cp));
    EXPECT_EQ(LowerStopWord(u8"ЇҐЄІЎЂ"_cp), cp(u8"їґєіўђ"_cp));
    EXPECT_EQ(LowerStopWord(u8"уже «№1»"_cp), cp(u8"уже «№1»"_cp));
}

TEST(StopWordItemsOrder, AlphabetOrderWithoutCase) {
    std::vector<std::string> items = {cp(u8"жук"_cp), cp(u8"ёж"_cp), cp(u8"Еж"_cp), cp(u8"дом"_cp),
                                      cp(u8"я"_cp),   cp("zoo"),     cp("Apple"),   cp(u8"еще"_cp)};
    std::sort(items.begin(), items.end(), StopWordItemLess);
    EXPECT_EQ(items, (std::vector<std::string>{cp("Apple"), cp("zoo"), cp(u8"дом"_cp), cp(u8"Еж"_cp), cp(u8"еще"_cp),
                                               cp(u8"ёж"_cp), cp(u8"жук"_cp), cp(u8"я"_cp)}));
}

TEST(StopWordItemsOrder, IsAStrictTotalOrder) {
    std::string mo = cp(u8"мы"_cp);
    std::string capital = cp(u8"Мы"_cp);
    EXPECT_FALSE(StopWordItemLess(mo, mo));
    EXPECT_NE(StopWordItemLess(mo, capital), StopWordItemLess(capital, mo));
    EXPECT_TRUE(StopWordItemLess("", "a"));
    EXPECT_TRUE(StopWordItemLess(mo, cp(u8"мыло"_cp)));
}

TEST(StopWordItemsFind, ExactMatchIgnoringCase) {
    std::vector<std::string> items = {cp(u8"Мы"_cp), cp(u8"мыло"_cp)};
    EXPECT_EQ(FindStopWordItem(items, u8"мы"_cp), 0u);
    EXPECT_EQ(FindStopWordItem(items, u8"МЫЛО"_cp), 1u);
    EXPECT_EQ(FindStopWordItem(items, u8"мыл"_cp), std::nullopt);
    EXPECT_EQ(FindStopWordItem(items, ""), std::nullopt);
}

TEST(StopWordItemsInsert, PutsTheTextAtItsSortedPlace) {
    std::vector<std::string> items = {"a", "c"};
    EXPECT_EQ(InsertStopWordItem(items, "b"), 1u);
    EXPECT_EQ(InsertStopWordItem(items, "d"), 3u);
    EXPECT_EQ(InsertStopWordItem(items, ""), 0u);
    EXPECT_EQ(items, (std::vector<std::string>{"", "a", "b", "c", "d"}));
}

}  // namespace
}  // namespace settings
