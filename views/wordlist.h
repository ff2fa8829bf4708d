// The stem list and the word list: their columns and cell texts, the type filter of seven
// classes, the additional filter of comma-enclosed ids, the rebuild from the description records
// and the sort keys of their columns. Both lists share every rule; only captions and totals
// differ. All texts Windows-1251. Pure functions, thread-safe.
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

/// Which of the two word lists: `lvWordBase` (stems) or `lvWordFull` (written words).
enum class WordListKind { kStems, kWords };

/// Column of the identifier (`id`): "SWID" of the stems, "FWID" of the words.
inline constexpr unsigned kWordIdColumn = 9;
/// Column of the link (`link`): "RID" of the stems, "SWID" (the stem's id) of the words.
inline constexpr unsigned kWordLinkColumn = 10;

/// Captions of the type-filter menu items, by flag index (`miWB0`..`miWB6`, `miWF0`..`miWF6`).
inline constexpr std::array<std::string_view, 7> kWordTypeMenuCaptions = {
    u8"Нормальные"_cp,
    u8"Аббревиатуры"_cp,
    u8"Возможные названия и имена"_cp,
    u8"Числа"_cp,
    u8"Цифробуквенные сочетания"_cp,
    u8"Прочие \"слова\""_cp,
    u8"Стоп-слова"_cp,
};
/// The menu shows a separator just before the item of this flag index.
inline constexpr unsigned kWordTypeMenuSeparatorBefore = 6;

/// Hint of the stem list's type-filter button (`ToolButton1`).
inline constexpr std::string_view kWordBaseFilterHint = u8"Фильтр словооснов"_cp;
/// Hint of the word list's type-filter button (`ToolButton2`).
inline constexpr std::string_view kWordFullFilterHint = u8"Фильтр слов"_cp;

/// Type filter of a word list (`wbTypeHidden`, `wfTypeHidden`): a set flag hides its class. Flag 1
/// hides abbreviations (type 2) and flag 2 possible names (type 1); flag 6 hides ignored entries.
struct WordTypeFilter {
    std::array<bool, 7> hidden = {false, false, false, false, true, true, true};
};

/// True when the type filter hides an entry with this word code; types above 5 are never hidden.
bool WordHiddenByType(const WordTypeFilter& filter, std::uint32_t code);

/// Returns the "Язык" letter of a word code's script class; "?" for a class outside the table.
std::string_view ScriptLetter(std::uint32_t code);

/// Returns the "Тип" letter of a word code's type (" " for normal words); "?" for type 5 and above.
std::string_view TypeLetter(std::uint32_t code);

/// Returns the eleven columns of a word list with their captions, widths and alignment.
std::vector<ListColumn> WordListColumns(WordListKind kind);

/// Returns an empty word list model with its columns, sorted by "ВА" (column 4).
ListModel MakeWordListModel(WordListKind kind);

/// Returns the text of column `column` (0-10) of one entry's row; shares of a zero total read 0;
/// empty for a column the list does not have. The shares ("ЧД", "ВД", "ВП") are cut to six
/// characters when shown and written in full for an export.
std::string WordCell(const ListEntry<WordDescription>& entry, unsigned column, const WordTotals& totals,
                     char decimalSeparator, CellForm form = CellForm::kShown);

/// Sort keys of the eleven columns; the identifier columns sort numerically ascending.
inline constexpr std::array<ColumnKey, 11> kWordListKeys = {
    ColumnKey::kText,      ColumnKey::kText,      ColumnKey::kIntegerDesc, ColumnKey::kFloatDesc,
    ColumnKey::kFloatDesc, ColumnKey::kFloatDesc, ColumnKey::kFloatDesc,   ColumnKey::kText,
    ColumnKey::kText,      ColumnKey::kIdAsc,     ColumnKey::kIdAsc,
};

/// Replaces list.rows with the rows of the `source` entries that pass the type filter and the
/// additional filter (first character "1" matches `link`, anything else `id`; empty = off), sorted
/// by list.sortColumn; sets list.status only when totals.totalCount > 0, else keeps it. The list
/// reads its cells from `source`, which must outlive it (or be refilled before it is read again).
void FillWordList(ListModel& list, const WordList& source, std::string_view extraFilter, const WordTypeFilter& filter,
                  const WordTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText);
/// A temporary source would be gone before the list is read.
void FillWordList(ListModel& list, WordList&& source, std::string_view extraFilter, const WordTypeFilter& filter,
                  const WordTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText) = delete;
