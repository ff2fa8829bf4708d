// A read-only table of measures for the comparison tabs: the first column an item's text, the
// others numbers as the lists write them, every column sortable by a click on its caption (numbers
// by value, "inf" above every number, an empty cell below).
#pragma once

#include <QString>
#include <string>
#include <vector>

class QStandardItemModel;
class QTableView;

namespace measuretable {

/// A table view named `name` over a model of its own, sorting by the values FillRows sets.
QTableView* View(const char* name, const QString& accessibleName);

/// The view's model.
QStandardItemModel* ModelOf(const QTableView* view);

/// Replaces the rows with `rows` (UTF-8 cells) under `columns`; numbers are read with `separator`.
/// The view keeps its sort column and order, and shows the rows in the given order until its
/// caption is clicked.
void FillRows(QTableView* view, const std::vector<std::string>& columns,
              const std::vector<std::vector<std::string>>& rows, char separator);

/// The text of the first column of display row `row` (UTF-8).
std::string ItemOf(const QTableView* view, int row);

}  // namespace measuretable
