// The result records that outlive an analysis run's tables and feed the result lists. Their texts
// (display texts, stem texts) are Windows-1251.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/flagset.h"

/// One stem or one written word of the last analysis, copied from its vocabulary entry.
struct WordDescription {
    std::int32_t id = 0;
    std::int32_t count = 0;
    std::uint32_t code = 0;
    std::int32_t link = 0;
    double weight = 0;
};

/// What sets a listed word combination apart from a normal one (a normal one has none of them).
/// There is no flag for absorbed combinations: the build leaves them out of the list.
enum class ExprFlag : std::uint8_t {
    kNotNormalized = 2,  // no occurrence in normal form was found
    kNavigational = 4,   // occurred only inside links
    kSelectOption = 8,   // occurred only inside selection lists
};
using ExprFlags = FlagSet<ExprFlag>;

/// One listed word combination.
struct ExprDescription {
    std::int32_t id = 0;
    std::int32_t count = 0;
    ExprFlags flags;
    double weight = 0;
    std::string stemText;  // the texts of its stems joined by single spaces
    std::array<std::int32_t, 6> stemIds = {};
    std::int32_t length = 0;
    double stemWeightSum = 0;
};

/// An entry of a result list: its display text (Windows-1251) and its record.
template <typename Description>
struct ListEntry {
    std::string text;
    Description desc;
};

using WordList = std::vector<ListEntry<WordDescription>>;
using ExprList = std::vector<ListEntry<ExprDescription>>;

/// Totals of the stem list or of the word list, computed when the list is built.
struct WordTotals {
    double totalCount = 0;      // sum of count over all entries (wbTotalCount, wfTotalCount)
    double entryCount = 0;      // number of entries (wbEntryCount, wfEntryCount)
    double countedCount = 0;    // sum of count over entries without the ignored bit
    double countedEntries = 0;  // number of entries without the ignored bit
};

/// Totals of the combination list, computed when the list is built.
struct ExprTotals {
    double repeatedCount = 0;  // sum of count over all combination entries with count > 1
    double entryCount = 0;     // number of combination entries
    double listedCount = 0;    // sum of count over the listed combinations (weListedCount)
    double listedEntries = 0;  // number of listed combinations (weListedEntries)
};
