// The word-combination list: its columns and cell texts, the type filter of five classes, the
// additional filter of comma-enclosed stem ids, the rebuild from the description records and the
// sort keys of its columns. All texts Windows-1251. Pure functions, thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "engine/descriptions.h"
#include "views/columnsort.h"
#include "views/listmodel.h"
#include "views/sorting.h"

/// Column of the combination id ("Порядок").
inline constexpr unsigned kExprOrderColumn = 5;
/// Column of the stem ids ("SWIDs"), each followed by ",".
inline constexpr unsigned kExprStemIdsColumn = 7;

/// Captions of the type-filter menu items, by flag index (`miWE0`..`miWE4`).
// clang-format off
inline constexpr std::array<std::string_view, 5> kExprTypeMenuCaptions = {
    u8"Нормальные словосочетания"_cp,
    u8"Поглощенные словосочетания"_cp,
    u8"Не нормализованные словосочетания"_cp,
    u8"Навигационные словосочетания"_cp,
    u8"Опции списков форм"_cp,
};
// clang-format on
/// The menu shows a separator just before the item of this flag index.
inline constexpr unsigned kExprTypeMenuSeparatorBefore = 1;

/// Hint of the combination list's type-filter button (`ToolButton3`).
inline constexpr std::string_view kWordExprFilterHint = u8"Фильтр словосочетаний"_cp;

/// Type filter of the combination list (`weTypeHidden`), one flag per menu item: flag 0 hides the
/// combinations without flags; flag 1 stands for absorbed combinations, which are never listed, and
/// hides nothing; flags 2-4 hide those that are non-normalized, navigational or selection-list
/// options. Any one matching flag hides the row.
struct ExprTypeFilter {
    std::array<bool, 5> hidden = {false, true, true, true, true};
};

/// True when the type filter hides a combination with these flags.
bool ExprHiddenByType(const ExprTypeFilter& filter, ExprFlags flags);

/// Returns the four-character "Тип" cell, one character per class of menu items 1-4: a space for
/// the absorbed class (never listed), then "Н", "С", "О" for a non-normalized, navigational or
/// selection-list combination, each a space when the combination is not of that class.
std::string ExprTypeText(ExprFlags flags);

/// Returns the "SWIDs" cell: the first `length` stem ids (clamped to 0..6), each followed by ",".
std::string StemIdsText(const ExprDescription& desc);

/// Returns the eight columns of the combination list with their captions, widths and alignment.
std::vector<ListColumn> ExprListColumns();

/// Returns an empty combination list model with its columns, sorted by "ВСА" (column 4).
ListModel MakeExprListModel();

/// Returns the text of column `column` (0-7) of one entry's row; "ВСА" of a combination without
/// stems reads 0; empty for a column the list does not have.
std::string ExprCell(const ListEntry<ExprDescription>& entry, unsigned column, char decimalSeparator);

/// Sort keys of the eight columns: "Порядок" ascends, "SWIDs" by its sequence of ids.
inline constexpr std::array<ColumnKey, 8> kExprListKeys = {
    ColumnKey::kText,      ColumnKey::kText,       ColumnKey::kIntegerDesc, ColumnKey::kFloatDesc,
    ColumnKey::kFloatDesc, ColumnKey::kIntegerAsc, ColumnKey::kText,        ColumnKey::kIdListAsc,
};

/// Replaces list.rows with the rows of the `source` entries that pass the type filter and, when
/// `extraFilter` is not empty, have a stem id enclosed in commas in it; sorted by list.sortColumn.
/// Sets list.status (T = listedCount, E = listedEntries) only when listedCount > 0, else keeps it.
/// The list reads its cells from `source`, which must outlive it (or be refilled before it is read again).
void FillExprList(ListModel& list, const ExprList& source, std::string_view extraFilter, const ExprTypeFilter& filter,
                  const ExprTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText);
/// A temporary source would be gone before the list is read.
void FillExprList(ListModel& list, ExprList&& source, std::string_view extraFilter, const ExprTypeFilter& filter,
                  const ExprTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText) = delete;
