#include "views/listmodel.h"

#include <utility>

#include "views/sorting.h"

bool ListSource::setCell(std::size_t, unsigned, std::string) { return false; }

std::string CellTable::cell(std::size_t entry, unsigned column) const {
    if (entry >= entries.size()) return {};
    const std::vector<std::string>& cells = entries[entry].cells;
    return column < cells.size() ? cells[column] : std::string();
}

bool CellTable::setCell(std::size_t entry, unsigned column, std::string text) {
    if (entry >= entries.size()) return false;
    std::vector<std::string>& cells = entries[entry].cells;
    if (cells.size() <= column) cells.resize(column + 1);
    cells[column] = std::move(text);
    return true;
}

std::string ListModel::shownCaption(unsigned k) const {
    const std::string& caption = columns.at(k).caption;
    return k == sortColumn ? sorting::WithSortMark(caption) : caption;
}

std::string ListModel::cell(std::size_t row, unsigned column) const {
    if (row >= rows.size() || !source) return {};
    return source->cell(rows[row], column);
}

ListRow ListModel::row(std::size_t row) const {
    ListRow result;
    result.cells.reserve(columns.size());
    for (unsigned k = 0; k < columns.size(); ++k) result.cells.push_back(cell(row, k));
    return result;
}

bool ListModel::setCell(std::size_t row, unsigned column, std::string text) {
    if (row >= rows.size() || !source) return false;
    return source->setCell(rows[row], column, std::move(text));
}

void ListModel::appendRow(std::vector<std::string> cells) {
    auto table = std::dynamic_pointer_cast<CellTable>(source);
    if (!table) {
        table = std::make_shared<CellTable>();
        source = table;
        rows.clear();
    }
    rows.push_back(static_cast<std::uint32_t>(table->entries.size()));
    table->entries.push_back(ListRow{std::move(cells)});
}
