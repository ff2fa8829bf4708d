// The sentence list: one row per document sentence that may enter the automatic summary.
//
// The rows are built once per analysis from the markup stream while the run tables still exist;
// afterwards their cell texts are the only record of the sentences. All texts are Windows-1251.
// Building is O(records), sorting O(rows log rows). NOT thread-safe.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/taghash.h"
#include "engine/txtidxunit.h"
#include "engine/vocunit.h"
#include "views/listmodel.h"
#include "views/sorting.h"

/// Column indexes of the sentence list.
namespace sentencecol {
inline constexpr unsigned kText = 0;       // "Предложение": the sentence text
inline constexpr unsigned kWeight = 1;     // "Вес": the sentence weight, two decimals
inline constexpr unsigned kAvgWeight = 2;  // "ВСА": weight per word, two decimals
inline constexpr unsigned kOrder = 3;      // "Порядок": 0, 1, 2, ... in document order
inline constexpr unsigned kHeading = 4;    // "Заголовок": "", "H1", "H2", "H3" or "B"
inline constexpr unsigned kWords = 5;      // "ЧС": the word count
inline constexpr unsigned kMark = 6;       // "М": the forced-inclusion mark or empty
inline constexpr unsigned kCount = 7;
}  // namespace sentencecol


/// Returns the seven columns of the sentence list with their captions, initial widths and alignment.
std::vector<ListColumn> SentenceListColumns();

/// Empties `list` and refills it with the sentences and headings of the markup stream (word texts
/// taken from `text`, weights from `stems`), sorted in document order with sortColumn 3; sets the
/// word-coverage status when wfTotalCount > 0 and leaves it untouched otherwise. Word records whose
/// stem id or text span lies outside `stems` or `text` count as words of weight 0 with no text.
void BuildSentenceList(ListModel& list, const TTxtIdxIndex& markup, const TVocIndex& stems, std::string_view text,
                       double wfTotalCount, char decimalSeparator);

/// Makes "Порядок" the sort column and puts the rows back in document order.
void RestoreDocumentOrder(ListModel& list);

/// Stable-sorts the rows by the key of list.sortColumn; a column without a key, or the text column
/// with an empty `compare`, keeps the order.
void SortSentenceList(ListModel& list, const sorting::TextCompare& compare, char decimalSeparator);

/// Makes column k the sort column and sorts the rows by its key; does nothing when k is no column of the list.
void ClickSentenceColumn(ListModel& list, unsigned k, const sorting::TextCompare& compare, char decimalSeparator);
