#include "settings/decimalseparator.h"

#include <gtest/gtest.h>

namespace settings {
namespace {

TEST(DecimalSeparator, ComesFromTheNumericLocale) {
    EXPECT_EQ(DecimalSeparatorOfLocale("C"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("no_such_locale.UTF-8"), std::nullopt);
    auto russian = DecimalSeparatorOfLocale("ru_RU.UTF-8");
    if (russian) {
        EXPECT_EQ(*russian, ',');
    }
}

}  // namespace
}  // namespace settings
