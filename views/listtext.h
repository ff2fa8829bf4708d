// Texts shared by the stem, word and combination lists: identifiers, shares of a total, the
// status-bar line under each list and the hint of the filter-off buttons. All Windows-1251.
// Pure functions, thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/cp1251.h"

/// Hint of the three buttons that switch a list's additional filter off.
inline constexpr std::string_view kExtraFilterOffHint = u8"Отключить дополнительный фильтр"_cp;

/// Writes an identifier as an unsigned decimal integer (its 32 bits read as unsigned).
std::string UnsignedText(std::int32_t id);

/// Writes the needle ",id," that finds an identifier in an additional-filter text.
std::string FilterNeedle(std::int32_t id);

/// Writes value / divisor in the general format cut to six characters (numformat::GeneralCut6); a
/// zero divisor gives the text of 0 instead of an infinity or not-a-number.
std::string ShareCut6(double value, double divisor, char decimalSeparator);

/// Writes value / divisor in the whole general format (15 significant digits), as exports write the
/// shares the lists show cut; a zero divisor gives the text of 0.
std::string ShareGeneral(double value, double divisor, char decimalSeparator);

/// Writes the status line "N (R) / T (E) = P1% (P2%)" with P1 = N*100/T and P2 = R*100/E in
/// two decimals; a zero T or E gives a share of 0,00 instead of dividing by zero.
std::string ListStatusText(long long visibleCount, long long visibleRows, double totalCount, double entryCount,
                           char decimalSeparator);

/// Writes "Слов: W / T = P%" with P = W*100/T in two decimals: the share of the page's T words
/// that the sentence list or the summary holds; a zero T gives a share of 0,00.
std::string WordShareText(long long words, double totalWords, char decimalSeparator);
