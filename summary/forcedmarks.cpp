#include "summary/forcedmarks.h"

#include <string>

#include "summary/sentencelist.h"

namespace {

std::string markText(bool marked) { return marked ? std::string(kForcedMark) : std::string(); }

}  // namespace

void SetHeadingMarks(ListModel& sentences, MarkChange change) {
    for (std::size_t r = 0; r < sentences.rows.size(); ++r) {
        if (!sentences.cell(r, sentencecol::kHeading).empty()) {
            sentences.setCell(r, sentencecol::kMark, markText(change == MarkChange::kSet));
        }
    }
}

bool ToggleRowMark(ListModel& sentences, std::size_t row) {
    if (row >= sentences.rows.size()) return false;
    const bool marked = !IsRowMarked(sentences, row);
    return sentences.setCell(row, sentencecol::kMark, markText(marked)) && marked;
}

void ClearMarks(ListModel& sentences) {
    for (std::size_t r = 0; r < sentences.rows.size(); ++r) sentences.setCell(r, sentencecol::kMark, std::string());
}

bool IsRowMarked(const ListModel& sentences, std::size_t row) {
    return !sentences.cell(row, sentencecol::kMark).empty();
}
