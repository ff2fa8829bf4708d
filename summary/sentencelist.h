// The sentence list: one row per document sentence that may enter the automatic summary.
//
// The rows are built once per analysis from the markup stream while the run tables still exist;
// afterwards the list's SentenceTable is the only record of the sentences. Every reader (sorting,
// the summary) goes through the cell texts, so a value counts as it is shown. All texts are
// Windows-1251. Building is O(records), sorting O(rows log rows). NOT thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/taghash.h"
#include "engine/txtidxunit.h"
#include "engine/vocunit.h"
#include "views/columnsort.h"
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

/// The texts of the "Заголовок" column: none, then the marks of the three heading levels and of a
/// bold block.
inline constexpr std::array<std::string_view, 5> kHeadingMarks = {"", "H1", "H2", "H3", "B"};

/// The sentences of one analysis: each row's text in one shared pool, its weight, word count,
/// heading mark and forced-inclusion mark; the other cells are made from these when read. Entry k
/// is the k-th sentence of the document, so its "Порядок" cell reads k.
class SentenceTable : public ListSource {
  public:
    /// Makes an empty table whose numbers are shown with this decimal separator.
    explicit SentenceTable(char decimalSeparator);

    /// Appends a sentence; a heading mark other than those of kHeadingMarks counts as none.
    void add(std::string_view text, double weight, long long words, std::string_view headingMark);

    std::size_t size() const { return rows_.size(); }

    std::string cell(std::size_t entry, unsigned column) const override;

    /// Edits the text ("Предложение") or the forced-inclusion mark ("М": any non-empty text sets
    /// it, which then reads as the bullet); the other cells cannot be edited.
    bool setCell(std::size_t entry, unsigned column, std::string text) override;

  private:
    struct Row {
        std::size_t textOffset = 0;
        double weight = 0;
        long long words = 0;
        std::uint32_t textLength = 0;
        std::uint8_t heading = 0;  // index into kHeadingMarks
        bool marked = false;
    };

    std::string texts_;
    std::vector<Row> rows_;
    char separator_;
};

/// Sort keys of the seven columns: weights and word counts descend, "Порядок" ascends; "Заголовок"
/// puts "H1", "H2", "H3", then "B", then unmarked rows, and "М" the marked rows first.
inline constexpr std::array<ColumnKey, sentencecol::kCount> kSentenceListKeys = {
    ColumnKey::kText,        ColumnKey::kFloatDesc,   ColumnKey::kFloatDesc,   ColumnKey::kIntegerAsc,
    ColumnKey::kLongerFirst, ColumnKey::kIntegerDesc, ColumnKey::kLongerFirst,
};

/// Returns the seven columns of the sentence list with their captions, initial widths and alignment.
std::vector<ListColumn> SentenceListColumns();

/// Empties `list` and refills it with the sentences and headings of the markup stream (word texts
/// taken from `text`, weights from `stems`), sorted in document order with sortColumn 3; sets the
/// word-coverage status when wfTotalCount > 0 and leaves it untouched otherwise. Word records whose
/// stem id or text span lies outside `stems` or `text` count as words of weight 0 with no text.
/// When `wordRows` is given, it receives for each word record of the markup, in order, the entry
/// of the sentence it belongs to, or -1 for a word of no listed sentence.
void BuildSentenceList(ListModel& list, const TTxtIdxIndex& markup, const TVocIndex& stems, std::string_view text,
                       double wfTotalCount, char decimalSeparator, std::vector<std::int32_t>* wordRows = nullptr);

/// Makes "Порядок" the sort column and puts the rows back in document order.
void RestoreDocumentOrder(ListModel& list);

/// Stable-sorts the rows by the key of list.sortColumn; a column without a key, or the text column
/// with an empty `compare`, keeps the order.
void SortSentenceList(ListModel& list, const sorting::TextCompare& compare, char decimalSeparator);

/// Makes column k the sort column and sorts the rows by its key; does nothing when k is no column of the list.
void ClickSentenceColumn(ListModel& list, unsigned k, const sorting::TextCompare& compare, char decimalSeparator);
