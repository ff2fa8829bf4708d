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
    SUMORAN_LSAN_DISABLE();  // glibc's newlocale leaks the LOCPATH search list on every call
    const std::optional<char> separator = DecimalSeparatorOfLocale(testutil::kRussianLocale);
    SUMORAN_LSAN_ENABLE();
    EXPECT_EQ(separator, ',');
}

}  // namespace
}  // namespace settings
