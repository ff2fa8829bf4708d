// The concordance: every occurrence of the items selected in the stem, word or combination list
// as a key-word-in-context row (left context, the occurrence, right context, the sentence's
// "Порядок" number and where in the markup it stood), sortable by the words around it.
//
// The rows come from the page's occurrences (concordance/occurrences.h), so an item has as many
// rows as its list counts it. Plain C++, texts Windows-1251. NOT thread-safe.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "concordance/occurrences.h"
#include "views/listmodel.h"
#include "views/sorting.h"

/// Column indexes of the concordance list.
namespace concordancecol {
inline constexpr unsigned kLeft = 0;      // "Слева": the text before the occurrence; sorts by the words before it
inline constexpr unsigned kKey = 1;       // "Вхождение": the occurrence as written
inline constexpr unsigned kRight = 2;     // "Справа": the text after it; sorts by the words after it
inline constexpr unsigned kSentence = 3;  // "Порядок": the sentence-list number, empty outside a listed sentence
inline constexpr unsigned kPlace = 4;     // "Контекст": title, heading, bold, link, ...
inline constexpr unsigned kCount = 5;
}  // namespace concordancecol

/// About how many characters of context each side of an occurrence shows.
inline constexpr std::size_t kContextWidth = 40;

/// One item to look for: one stem id (a stem), one stem id and its written form (a word), or two
/// to six stem ids (a combination).
struct ConcordanceQuery {
    std::vector<std::int32_t> stems;
    std::string word;  // a word's written form; empty for a stem or a combination
};

/// One row: `count` occurrences from occurrence `first` on, found for query `item`.
struct ConcordanceRow {
    std::uint32_t first = 0;
    std::uint32_t count = 1;
    std::uint32_t item = 0;
};

/// The occurrences of each query (element q for queries[q], rows with item q), in page order, found
/// in one pass over the page whatever the number of queries.
std::vector<std::vector<ConcordanceRow>> FindOccurrencesOfEach(const PageOccurrences& page,
                                                               std::span<const ConcordanceQuery> queries);

/// The concordance pane's content.
struct Concordance {
    PageOccurrences page;
    std::vector<ConcordanceRow> rows;  // in found order; the list shows them in its sort order
    ListModel list;                    // lvConcordance

    Concordance();
    Concordance(const Concordance&) = delete;
    Concordance& operator=(const Concordance&) = delete;
};

/// Returns the five columns of the concordance list.
std::vector<ListColumn> ConcordanceColumns();

/// Fills the list with the occurrences of `queries` (rows of one query after another, each in page
/// order), sorts it by its sort column and sets the status "Вхождений: N".
void FillConcordance(Concordance& c, std::span<const ConcordanceQuery> queries, const sorting::TextCompare& compare);

/// Fills the list with `rows` found by the caller (rows reaching past the page's occurrences are
/// dropped), as FillConcordance does.
void FillConcordanceRows(Concordance& c, std::vector<ConcordanceRow> rows, const sorting::TextCompare& compare);

/// Empties the list and the page's occurrences, as a new analysis does.
void ClearConcordance(Concordance& c);

/// Makes column k the sort column and sorts the rows: by the words before, the occurrence, the
/// words after, the position in the page or the place; ties keep page order.
void SortConcordance(Concordance& c, unsigned k, const sorting::TextCompare& compare);

/// The sentence-list entry of display row `row`, or -1 when it has none.
std::int32_t ConcordanceSentence(const Concordance& c, std::size_t row);
