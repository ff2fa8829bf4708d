// The pieces the window's panels are built from: caption strips, flat tool bars, one-panel status
// bars, tool buttons with their hints as accessible names, and report-style list views. Widgets
// only, no analysis logic. GUI thread only.
#pragma once

#include <QString>
#include <functional>
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
/// the selection kept visible without the focus, read-only, Tab leaving the list for the next control,
/// column widths from the list but wide enough for each caption with the sort mark.
QTableView* ListView(const char* name, ListTableModel* model);

/// The display rows selected in a view, in ascending order.
std::vector<int> SelectedRows(const QTableView* view);

/// What a change of a list's rows did to the entries selected in its view.
enum class SelectionAfter {
    kSame,      // every entry selected before is selected still
    kNarrowed,  // an entry selected before is no longer shown, and so no longer selected
};

/// Runs `change`, which sorts or filters the rows of the view's list, and re-shows the list with the
/// entries selected before selected still where they are shown, in as few selection ranges as they
/// lie in, and the current entry, while shown, current and scrolled into view. The selection model
/// signals nothing: the entries selected are the same unless kNarrowed is returned.
SelectionAfter ChangeKeepingSelection(QTableView* view, ListTableModel* model, const std::function<void()>& change);

/// Re-shows a list whose texts changed but whose rows did not, keeping the same entries selected.
void ResetKeepingSelection(QTableView* view, ListTableModel* model);

}  // namespace panel
