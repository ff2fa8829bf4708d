// The plain model behind one list view: columns, rows of cell texts, the sort column and the
// status-bar text. The desktop program's table models adapt it; the command-line tool prints it.
// All texts are Windows-1251.
#pragma once

#include <optional>
#include <string>
#include <vector>

/// One column of a list view. A width of 0 collapses the column; kDefaultWidth leaves it to the toolkit.
struct ListColumn {
    static constexpr int kDefaultWidth = -1;

    std::string caption;  // without the sort mark
    int width = kDefaultWidth;
    bool rightAligned = false;
};

/// One row: cells[0] is the row caption, the rest are the sub-item texts, one per column.
struct ListRow {
    std::vector<std::string> cells;
};

/// The rows a list view shows, in display order, and its sort column.
struct ListModel {
    std::vector<ListColumn> columns;
    std::vector<ListRow> rows;
    unsigned sortColumn = 0;
    std::optional<std::string> status;  // the status-bar text; nothing keeps the previous one

    /// Returns the caption of column k as shown, with the sort mark on the sort column.
    std::string shownCaption(unsigned k) const;
};
