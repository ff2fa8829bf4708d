// The document's operations on words in context: the concordance of the items selected in a
// result list, its sorting, the way from a concordance row to its sentence, and the written forms
// the page marks are made of. Plain C++, texts Windows-1251. NOT thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/document.h"

/// The concordance queries of display rows `selectedRows` of a result list, one per row, in order;
/// rows outside the list are left out.
std::vector<ConcordanceQuery> QueriesOf(const Document& doc, ResultList list,
                                        std::span<const std::size_t> selectedRows);

/// Shows in the concordance every occurrence of the items of display rows `selectedRows` of a
/// result list.
void ShowConcordance(Document& doc, ResultList list, std::span<const std::size_t> selectedRows);

/// Sorts the concordance by a clicked column.
void SortConcordanceList(Document& doc, unsigned column);

/// The display row of the sentence list that shows the sentence of concordance display row `row`,
/// or nothing when that occurrence stands in no listed sentence.
std::optional<std::size_t> SentenceRowOfConcordance(const Document& doc, std::size_t row);

/// The distinct written forms of the occurrences of each query (one list per query, in order of
/// first occurrence); a combination's form is its words joined by single spaces.
std::vector<std::vector<std::string>> WrittenForms(const Document& doc, std::span<const ConcordanceQuery> queries);

/// One word occurrence as a stem: its stem id (as the stem list's records hold it) and the number
/// of its sentence in the reading text, where a block tag or a sentence end starts a new one.
struct StemOccurrence {
    std::int32_t stem = 0;
    std::uint32_t sentence = 0;
};

/// Every word occurrence of the last analysis in page order, as its stem and sentence; empty
/// unless the document kept the occurrences (recordOccurrences set before the run).
std::vector<StemOccurrence> StemOccurrences(const Document& doc);
