// The company a stem keeps, the same in the window and on the command line: the word occurrences
// of one or more analysed pages as one sequence over stems, the collocates of a stem in it
// (compare/collocates.h), their table, and the concordance of a stem and one collocate. NOT
// thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compare/collocates.h"
#include "document/document.h"

/// The occurrences of pages as one sequence over stems numbered by their text; a window never
/// reaches from one page into the next. Stop words and ignored entries are no candidates.
struct StemSequence {
    std::vector<CollocateToken> tokens;
    std::vector<std::string> stems;  // text (Windows-1251) by number
    std::vector<bool> skipped;       // by number: ignored entries (stop words) and words of no stem
    std::unordered_map<std::string, std::uint32_t> numbers;

    /// Appends the occurrences of an analysed page whose document kept them (recordOccurrences).
    void add(const Document& doc);

  private:
    std::uint32_t numberOf(const std::string& text, bool skip);
    std::uint32_t sentences_ = 0;  // of the pages before
};

/// The collocates of one stem.
struct StemCollocates {
    std::string node;  // the stem (Windows-1251)
    long long nodeCount = 0;
    std::vector<Collocate> found;  // items are numbers of the sequence
};

/// The collocates of stem `node` (Windows-1251) in `sequence`; none found when it does not occur.
StemCollocates CollocatesOf(const StemSequence& sequence, std::string_view node, const CollocateOptions& options);

/// The columns of the collocate table: "Словооснова", "O", "E", "ЧА", "MI", "MI3", "t", "LL", "logDice".
std::vector<std::string> CollocateColumns();

/// The rows of the collocate table (the stem in UTF-8, the measures with two decimals and `separator`).
std::vector<std::vector<std::string>> CollocateRows(const StemCollocates& collocates, const StemSequence& sequence,
                                                    char separator);

/// Shows in the concordance the occurrences of stem id `node` that have an occurrence of stem id
/// `collocate` within `span` words on either side in the same sentence, as the collocates count
/// them. Needs the occurrences kept (recordOccurrences).
void ShowCollocateConcordance(Document& doc, std::int32_t node, std::int32_t collocate, std::size_t span);

/// The stem id of the stem list's entry `text` (Windows-1251), or nothing.
std::optional<std::int32_t> StemIdOf(const Document& doc, std::string_view text);
