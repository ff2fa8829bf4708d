// Sorting a list model by its sort column. Each column has one fixed key kind; every key is read
// back from the cell texts, so two rows whose cells read the same compare equal even when the
// values they were made from differ. The sort is stable: rows with equal keys keep their order.
// O(n log n) comparisons, each number parsed once per row. Cell texts are Windows-1251, numbers
// written with the list's decimal separator. Not thread-safe.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "views/listmodel.h"
#include "views/sorting.h"

/// How the texts of one column order the rows.
enum class ColumnKey {
    kText,         // the user's collation, ascending
    kIntegerDesc,  // signed integer, largest first
    kIntegerAsc,   // signed integer, smallest first
    kFloatDesc,    // decimal number with the list's separator, largest first (CompareFloatDesc)
    kIdAsc,        // an identifier, numerically ascending
    kIdListAsc,    // identifiers each followed by "," ("12,7,"), by their sequence, ascending
    kLongerFirst,  // longer text first, texts of one length in byte order ("H1", "H2", "B", "")
};

/// Returns the number a float cell shows: the whole text when it reads as a number, otherwise its
/// longest leading part that does (a general-format text cut inside its exponent, "1,25E-", reads
/// 1,25); nothing when no leading part reads as a number or the text reads as not-a-number.
std::optional<double> FloatCellValue(std::string_view text, char decimalSeparator);

/// Sorts list.rows stably by the key of list.sortColumn; cells whose number cannot be read go
/// after all others. Leaves the rows unchanged when the sort column has no entry in `keys`, or is a
/// text column and `compareText` is empty.
void SortRows(ListModel& list, std::span<const ColumnKey> keys, char decimalSeparator,
              const sorting::TextCompare& compareText);

/// Makes `column` the list's sort column, which moves the sort mark onto its caption, and sorts
/// the rows by it; does nothing when the list has no such column.
void ClickColumn(ListModel& list, unsigned column, std::span<const ColumnKey> keys, char decimalSeparator,
                 const sorting::TextCompare& compareText);
