#include "summary/forcedmarks.h"

#include <string>

#include "summary/sentencelist.h"

namespace {

// The mark cell of a row, added when a short row lacks it.
std::string& markCell(ListRow& row) {
    if (row.cells.size() <= sentencecol::kMark) row.cells.resize(sentencecol::kMark + 1);
    return row.cells[sentencecol::kMark];
}

bool hasHeading(const ListRow& row) {
    return row.cells.size() > sentencecol::kHeading && !row.cells[sentencecol::kHeading].empty();
}

}  // namespace

void SetHeadingMarks(ListModel& sentences, MarkChange change) {
    for (ListRow& row : sentences.rows) {
        if (hasHeading(row)) markCell(row) = change == MarkChange::kSet ? std::string(kForcedMark) : std::string();
    }
}

bool ToggleRowMark(ListModel& sentences, std::size_t row) {
    if (row >= sentences.rows.size()) return false;
    std::string& mark = markCell(sentences.rows[row]);
    mark = mark.empty() ? std::string(kForcedMark) : std::string();
    return !mark.empty();
}

void ClearMarks(ListModel& sentences) {
    for (ListRow& row : sentences.rows) {
        if (row.cells.size() > sentencecol::kMark) row.cells[sentencecol::kMark].clear();
    }
}

bool IsRowMarked(const ListModel& sentences, std::size_t row) {
    if (row >= sentences.rows.size()) return false;
    const ListRow& r = sentences.rows[row];
    return r.cells.size() > sentencecol::kMark && !r.cells[sentencecol::kMark].empty();
}
