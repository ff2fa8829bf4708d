// The user's decimal separator, taken from the numeric locale (LC_NUMERIC) without changing the
// process's global locale.
#pragma once

#include <optional>

namespace settings {

/// Returns the one-byte decimal separator of the named locale ("" means the user's locale from
/// the environment). Returns nothing when the locale is not installed or its separator is not a
/// single byte.
std::optional<char> DecimalSeparatorOfLocale(const char* localeName);

/// Returns the decimal separator of the user's numeric locale, or '.' when it cannot be had.
char UserDecimalSeparator();

}  // namespace settings
