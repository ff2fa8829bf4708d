#include "settings/decimalseparator.h"

#include <gtest/gtest.h>

#include "settings/locale_for_tests.h"

namespace settings {
namespace {

TEST(DecimalSeparator, ComesFromTheNumericLocale) {
    EXPECT_EQ(DecimalSeparatorOfLocale("C"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("no_such_locale.UTF-8"), std::nullopt);
}

TEST(DecimalSeparator, RussianLocaleWritesAComma) {
    if (!testutil::russianLocaleAvailable())
        GTEST_SKIP() << testutil::kRussianLocale << " can be neither found nor made";
    EXPECT_EQ(DecimalSeparatorOfLocale(testutil::kRussianLocale), ',');
}

}  // namespace
}  // namespace settings
