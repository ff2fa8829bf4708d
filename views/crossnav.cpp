#include "views/crossnav.h"

#include <algorithm>

std::string RelatedFilterText(std::string_view filterStart, const std::vector<std::string>& selectedSourceCells) {
    std::string text(filterStart);
    for (const std::string& cell : selectedSourceCells) {
        text += cell;
        text += ',';
    }
    return text;
}

std::optional<std::string> RelatedFilter(const ListModel& source, std::span<const std::size_t> selectedRows,
                                         unsigned sourceColumn, std::string_view filterStart) {
    std::vector<std::size_t> rows(selectedRows.begin(), selectedRows.end());
    std::erase_if(rows, [&](std::size_t row) { return row >= source.rows.size(); });
    if (rows.empty()) return std::nullopt;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    std::vector<std::string> cells;
    cells.reserve(rows.size());
    for (std::size_t row : rows) cells.push_back(source.cell(row, sourceColumn));
    return RelatedFilterText(filterStart, cells);
}
