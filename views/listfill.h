// The one fill path of the stem, word and combination lists: the rows of the description records
// a list's filters let through, the status line that counts them and the sort by the list's sort
// column. The list reads its cells from the records, which must outlive it. Texts Windows-1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "engine/descriptions.h"
#include "views/columnsort.h"
#include "views/listmodel.h"
#include "views/listtext.h"
#include "views/sorting.h"

/// What a list's rows are counted against in its status line: T and E of ListStatusText.
struct ListStatusTotals {
    double totalCount = 0;
    double entryCount = 0;
};

/// Replaces list.rows with the entries of `source` whose description passes `shown`, reading cells
/// through `format(entry, column)`, and sorts them by list.sortColumn with `keys`. Sets list.status
/// to the status line of the shown rows (their counts and number) only when totals.totalCount > 0,
/// else keeps it.
template <typename Description, typename Format, typename Shown>
void FillRecordList(ListModel& list, const std::vector<ListEntry<Description>>& source, Format format, Shown shown,
                    ListStatusTotals totals, std::span<const ColumnKey> keys, char decimalSeparator,
                    const sorting::TextCompare& compareText) {
    list.rows.clear();
    list.source = MakeRecordSource(source, std::move(format));
    long long visibleCount = 0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const Description& desc = source[i].desc;
        if (!shown(desc)) continue;
        list.rows.push_back(static_cast<std::uint32_t>(i));
        visibleCount += desc.count;
    }
    if (totals.totalCount > 0) {
        list.status = ListStatusText(visibleCount, static_cast<long long>(list.rows.size()), totals.totalCount,
                                     totals.entryCount, decimalSeparator);
    }
    SortRows(list, keys, decimalSeparator, compareText);
}
