// Comparing a page with others, the same in the window and on the command line: the pages of a
// reference read and analysed one after another with the settings of the page they are compared
// with, the sums of a reference (reference/corpus.h), the key words of a page against them and the
// tables both front ends show. Texts are UTF-8 unless said otherwise. NOT thread-safe: one reading
// at a time per Corpus; separate readings may run on separate threads.
#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/keywords.h"
#include "document/document.h"
#include "page/fetch.h"
#include "page/frames.h"
#include "reference/corpus.h"

/// How every page of a reference is analysed: as the page it is compared with.
struct PageAnalysis {
    Coefficients koef;
    TVocIndex stopWords;
    IndexOptions index;  // with the stem source, which must outlive the reading
    CharsetChoice charset = CharsetChoice::kAuto;
    ContentMode content = ContentMode::kPage;
    FetchLimits limits{30, kMaxPageBytes};  // of each page; limits.cancel stops the reading between pages too
    FramePolicy frames = FramePolicy::kFolder;
    bool recordOccurrences = false;  // each page's document keeps its word occurrences (collocates)
    char decimalSeparator = ',';
};

/// Reads and analyses every page of input `name` (a file, "-" for `in`, an address or a directory
/// of pages) one after another, each in a document of its own that `use` reads. Returns the
/// message "NAME: why" for an input that gives no page, is not a page or whose analysis ran out of
/// memory, and "cancelled" when limits.cancel turned true.
std::optional<std::string> ForEachPage(const std::string& name, std::istream& in, const PageAnalysis& analysis,
                                       const std::function<void(const Document&)>& use);

/// Whether an input names the JSON Lines of a batch: a name ending in ".jsonl" (in any case) that
/// is no address.
bool IsJsonLines(std::string_view name);

/// Adds one input's pages to `corpus`: the JSON Lines of a batch summed as `aggregate` sums them,
/// anything else read and analysed by ForEachPage. Returns the message when an input cannot be read.
std::optional<std::string> AddInput(const std::string& name, std::istream& in, const PageAnalysis& analysis,
                                    Corpus& corpus);

/// What is compared: the stems or the combinations.
enum class CompareItems { kStems, kCombinations };

/// The key words of `target` against `reference`.
Keywords CompareCorpora(const Corpus& target, const Corpus& reference, CompareItems items,
                        const KeywordOptions& options);

/// The columns of the key-word table: the item, "Знак", the counts and frequencies per million of
/// each side, "LL", "p <", "Log Ratio", "%DIFF", "Simple maths".
std::vector<std::string> KeywordColumns(CompareItems items);

/// The rows of the key-word table, the positive key words and then the negative ones, with two
/// decimals and `separator` as the lists write numbers; "inf" for the %DIFF of an item the
/// reference lacks.
std::vector<std::vector<std::string>> KeywordRows(const Keywords& keywords, char separator);
