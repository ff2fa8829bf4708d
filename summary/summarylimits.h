// The length limits of the automatic summary, as the limits menu offers them: a number of
// sentences or an approximate share of the document's words. Constant data, thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "base/cp1251.h"

/// One item of the limits menu and the values it passes to BuildSummary.
struct SummaryLimit {
    std::string_view caption;  // the menu text (Windows-1251)
    int maxSentences;          // kEverySentence: as many sentences as the document has words
    double percentLimit;       // share of the document's words in percent; 101 is never reached
    bool separatorAfter;       // the menu shows a separator below this item
};

/// The sentence limit that cannot be reached: wfTotalCount, truncated (see ResolveMaxSentences).
inline constexpr int kEverySentence = -1;

/// The percentage that cannot be reached: no limit by words.
inline constexpr double kNoPercentLimit = 101;

/// The menu items in order; the first is "Без ограничения", the one every forced-inclusion action returns to.
inline constexpr std::array<SummaryLimit, 8> kSummaryLimits = {{
    {u8"Без ограничения"_cp, kEverySentence, kNoPercentLimit, true},
    {u8"3 предложения"_cp, 3, kNoPercentLimit, false},
    {u8"5 предложений"_cp, 5, kNoPercentLimit, false},
    {u8"10 предложений"_cp, 10, kNoPercentLimit, true},
    {u8"~ 5%"_cp, kEverySentence, 5, false},
    {u8"~ 10%"_cp, kEverySentence, 10, false},
    {u8"~20%"_cp, kEverySentence, 20, false},
    {u8"~25%"_cp, kEverySentence, 25, false},
}};

/// Index of "Без ограничения" in kSummaryLimits.
inline constexpr std::size_t kNoLimitItem = 0;

/// Returns the item's sentence limit: its own number, or for kEverySentence wfTotalCount truncated
/// to an integer (0 for a negative or not-a-number count, the largest int for a huge one).
int ResolveMaxSentences(const SummaryLimit& limit, double wfTotalCount);
