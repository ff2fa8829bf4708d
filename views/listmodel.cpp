#include "views/listmodel.h"

#include <utility>

#include "views/sorting.h"

bool ListSource::setCell(std::size_t, unsigned, std::string) { return false; }

std::string ListModel::shownCaption(unsigned k) const {
    const std::string& caption = columns.at(k).caption;
    return k == sortColumn ? sorting::WithSortMark(caption) : caption;
}

std::string ListModel::cell(std::size_t row, unsigned column) const {
    if (row >= rows.size() || !source) return {};
    return source->cell(rows[row], column);
}

std::string ListModel::exportCell(std::size_t row, unsigned column) const {
    if (row >= rows.size() || !source) return {};
    return source->exportCell(rows[row], column);
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
