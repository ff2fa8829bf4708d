// The automatic summary: the sentences that open the document and stand on peaks of the
// sentence-weight curve, plus the rows the user forced in, in document order.
//
// BuildSummary reads nothing but the cell texts of the sentence list, so it sees the weights as
// displayed (two decimals) and the sentence texts as the user may have edited them. O(rows log
// rows) for the re-sort, then one pass. NOT thread-safe.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "views/listmodel.h"

/// One paragraph of the summary: a sentence text (Windows-1251), bold for headings.
struct SummaryParagraph {
    std::string text;
    bool bold = false;

    bool operator==(const SummaryParagraph&) const = default;
};

/// The summary pane's content and the status-bar text that goes with it.
struct Summary {
    std::vector<SummaryParagraph> paragraphs;
    std::vector<std::size_t> entries;   // the sentence-list entry of each paragraph
    std::size_t walkEnd = 0;            // the walk over the sentences stopped before this entry (their count at most)
    std::optional<std::string> status;  // nothing keeps the previous status text
};

/// Puts `sentences` back in document order (sort column "Порядок") and chooses the summary from its
/// rows under the limits: at most about maxSentences sentences and percentLimit per cent of the
/// wfTotalCount words, both tested only between peaks. The status is set only when wfTotalCount > 0;
/// with no words counted the percentage limit is not applied. An empty list gives an empty summary.
Summary BuildSummary(ListModel& sentences, int maxSentences, double percentLimit, double wfTotalCount,
                     char decimalSeparator);
