// The parts of the comparison tabs: a read-only table of measures, the panel around it and the
// least-count box. In the table the first column is an item's text and the others are numbers as
// the lists write them; every column sorts by a click on its caption (numbers by value, "inf" above
// every number, an empty cell below).
#pragma once

#include <QString>
#include <string>
#include <vector>

class QLabel;
class QSpinBox;
class QStandardItemModel;
class QTableView;
class QToolBar;
class QWidget;

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

/// Lays `panel` out from top to bottom: its tool bar, the view and a status line named
/// `statusName`, which it returns.
QLabel* LayOutPanel(QWidget* panel, QToolBar* bar, QTableView* view, const char* statusName);

/// Adds to `bar` a box named `name` for the least count of a row ("Не реже N раз"), set to `value`.
QSpinBox* AddMinCount(QToolBar* bar, const char* name, long long value);

/// The text of the first column of display row `row` (UTF-8).
std::string ItemOf(const QTableView* view, int row);

}  // namespace measuretable
