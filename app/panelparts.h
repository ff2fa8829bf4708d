// The pieces the window's panels are built from: caption strips, flat tool bars, one-panel status
// bars, tool buttons with their hints as accessible names, and report-style list views. Widgets
// only, no analysis logic. GUI thread only.
#pragma once

#include <QString>
#include <vector>

#include "resources/icons.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTableView;
class QToolBar;
class QToolButton;
class QWidget;
class ListTableModel;

namespace panel {

/// A panel's caption strip: bold text in the colours of an inactive window caption.
QLabel* CaptionStrip(const QString& text);

/// A flat tool bar of small icons, named `name`.
QToolBar* FlatToolBar(const char* name);

/// A status bar with one panel that takes the bar's whole width; the panel is named `name`.
QStatusBar* OnePanelStatusBar(QLabel*& panel, const char* name);

/// Adds a tool button for an action named `name` with `hint` as tool tip and accessible name.
QAction* AddTool(QToolBar* bar, const char* name, IconId icon, const QString& hint);

/// Adds a tool button with a drop-down `menu`, named `name`, with `hint` as tool tip and accessible name.
QToolButton* AddMenuTool(QToolBar* bar, const char* name, IconId icon, const QString& hint, QMenu* menu);

/// A panel: caption strip, tool bar, content and status bar, top to bottom.
QWidget* Panel(const QString& caption, QToolBar* tools, QWidget* content, QStatusBar* status);

/// A report-style list view over `model`, named `name`: grid lines, whole-row and multiple selection,
/// the selection kept visible without the focus, read-only, column widths from the list.
QTableView* ListView(const char* name, ListTableModel* model);

/// The display rows selected in a view, in ascending order.
std::vector<int> SelectedRows(const QTableView* view);

/// Re-shows a list whose rows were only reordered, keeping the same entries selected.
void ResetKeepingSelection(QTableView* view, ListTableModel* model);

}  // namespace panel
