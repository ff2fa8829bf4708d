// Forced-inclusion marks: the "М" cells of the sentence list that put a row into the summary
// whatever its weight. Row indexes are positions in the list's current order. NOT thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/cp1251.h"
#include "views/listmodel.h"

/// The text of a marked "М" cell: the bullet (Windows-1251).
inline constexpr std::string_view kForcedMark = u8"•"_cp;

/// Whether an action puts marks on or takes them off.
enum class MarkChange { kSet, kClear };

/// Sets (kSet) or empties (kClear) the mark of every row whose heading mark is not empty; rows
/// without a heading mark keep theirs.
void SetHeadingMarks(ListModel& sentences, MarkChange change);

/// Flips the mark of one row and returns true when the row is now marked; returns false and changes
/// nothing when `row` is out of range.
bool ToggleRowMark(ListModel& sentences, std::size_t row);

/// Empties the mark of every row.
void ClearMarks(ListModel& sentences);

/// Returns true when the row exists and its "М" cell is not empty.
bool IsRowMarked(const ListModel& sentences, std::size_t row);
