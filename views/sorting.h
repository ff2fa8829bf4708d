// Primitives shared by the sorting of all four lists: the sort mark on the sort column's
// caption, the descending float comparison and the user's text collation.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/cp1251.h"

namespace sorting {

/// The prefix of the sort column's caption: the bullet and a space (Windows-1251).
inline constexpr std::string_view kSortMark = u8"• "_cp;

/// Returns -1 when a > b, +1 when a < b, 0 when equal: larger values first.
int CompareFloatDesc(double a, double b);

/// Compares two Windows-1251 texts: negative when a goes first, positive when b does, 0 when equal.
using TextCompare = std::function<int(std::string_view a, std::string_view b)>;

/// Returns the case-sensitive collation of the user's locale; falls back to code-point order
/// when the locale is not available.
TextCompare LocaleTextCompare();

/// Returns the caption with the sort mark in front.
std::string WithSortMark(std::string_view caption);

}  // namespace sorting
