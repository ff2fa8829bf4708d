// The stems and combinations of many pages summed exactly, from the JSON Lines of batches
// (sumoran-cli --format=jsonl) and from pages analysed in this run: shared by `aggregate`,
// `compare` and the window's reference, so that a page counts the same whichever way it arrives.
// Texts are UTF-8. NOT thread-safe.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <unordered_map>

#include "document/document.h"

/// One stem or combination over the corpus; weights in hundredths, as the lists print them, so
/// that the sums are exact and do not depend on the order of the pages.
struct CorpusTotal {
    long long count = 0;
    long long weight = 0;
    long long pages = 0;
    long long lastPage = -1;  // the page that last added to it, so that a page counts once
};

/// Totals by the item's text (UTF-8).
using CorpusTotals = std::unordered_map<std::string, CorpusTotal>;

/// The sums of a set of pages.
struct Corpus {
    CorpusTotals stems;
    CorpusTotals combinations;
    long long pages = 0;
};

/// The longest line of JSON Lines read: one page's result (a page of kMaxPageBytes makes a line
/// of a few times its size).
inline constexpr std::size_t kMaxResultLineBytes = std::size_t{512} << 20;

/// Adds every page of the JSON Lines `lines` (named `name` in messages): blank lines and the lines
/// of inputs that gave no page ({"error": …}) are skipped. Returns the message "NAME, line N: …"
/// for a line that is not a page's result, longer than kMaxResultLineBytes, or that would make a
/// sum pass the largest count, and "cannot read NAME" when reading fails; the pages before it stay added.
std::optional<std::string> AddResultLines(std::istream& lines, const std::string& name, Corpus& corpus);

/// Adds the stem and combination lists of an analysed page, the rows its JSON line would hold: the
/// rows of the lists' default type filters without an additional filter, whatever the document
/// shows now. Returns a message when a sum would pass the largest count.
std::optional<std::string> AddAnalysedPage(const Document& doc, Corpus& corpus);

/// The words of a corpus: the sum of its stems' counts.
long long WordsOf(const Corpus& corpus);
