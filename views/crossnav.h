// Cross-navigation between the result lists: the eight buttons that show the rows of one list
// related by stem to the selected rows of another, and the additional-filter texts they build.
// Relatedness is always by stem id: a stem's "SWID", a word's "SWID" (its link) and a
// combination's "SWIDs". All texts Windows-1251. Pure functions and constant tables, thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "views/exprlist.h"
#include "views/listmodel.h"
#include "views/wordlist.h"

/// The three result lists: `lvWordBase`, `lvWordFull`, `lvWordExpr`.
enum class ResultList { kWordBase, kWordFull, kWordExpr };

/// The three result lists in their order.
inline constexpr ResultList kResultLists[] = {ResultList::kWordBase, ResultList::kWordFull, ResultList::kWordExpr};

/// One cross-navigation button: where it reads the selected stem ids and which filter it builds.
struct RelatedButton {
    std::string_view name;  // the button's own name, "ToolButton5" ...
    std::string_view hint;
    ResultList source;
    unsigned sourceColumn;  // the column of `source` whose cell texts go into the filter
    ResultList target;
    std::string_view filterStart;  // "1,," matches words by stem, "0,," stems by id, "," combinations
};

/// The eight buttons in tool-bar order: over the stems, over the words, over the combinations.
inline constexpr std::array<RelatedButton, 8> kRelatedButtons = {{
    {"ToolButton5", u8"Показать слова выделенных словооснов"_cp, ResultList::kWordBase, kWordIdColumn,
     ResultList::kWordFull, "1,,"},
    {"ToolButton6", u8"Показать словосочетания выделенных словооснов"_cp, ResultList::kWordBase, kWordIdColumn,
     ResultList::kWordExpr, ","},
    {"ToolButton9", u8"Показать словоосновы выделенных слов"_cp, ResultList::kWordFull, kWordLinkColumn,
     ResultList::kWordBase, "0,,"},
    {"ToolButton8", u8"Показать слова идентичные выделенным по словоосновам"_cp, ResultList::kWordFull, kWordLinkColumn,
     ResultList::kWordFull, "1,,"},
    {"ToolButton10", u8"Показать словосочетания выделенных слов по словоосновам"_cp, ResultList::kWordFull,
     kWordLinkColumn, ResultList::kWordExpr, ","},
    {"ToolButton12", u8"Показать словоосновы выделенных словосочетаний"_cp, ResultList::kWordExpr, kExprStemIdsColumn,
     ResultList::kWordBase, "0,,"},
    {"ToolButton13", u8"Показать слова выделенных словосочетаний по словоосновам"_cp, ResultList::kWordExpr,
     kExprStemIdsColumn, ResultList::kWordFull, "1,,"},
    {"ToolButton14", u8"Показать словосочетания идентичные выделенным по словоосновам"_cp, ResultList::kWordExpr,
     kExprStemIdsColumn, ResultList::kWordExpr, ","},
}};

/// Returns the filter start followed by each cell text and a "," ("1,," with "12", "7" gives "1,,12,7,").
std::string RelatedFilterText(std::string_view filterStart, const std::vector<std::string>& selectedSourceCells);

/// Returns the filter text built from `sourceColumn` of the selected rows, taken in list order and
/// each once; indexes past the last row are ignored. Returns nothing when no row is selected.
std::optional<std::string> RelatedFilter(const ListModel& source, std::span<const std::size_t> selectedRows,
                                         unsigned sourceColumn, std::string_view filterStart);
