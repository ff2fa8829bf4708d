// ResultListPanel: one of the three result lists (stems, words, combinations) with its caption,
// its tool bar (type filter, additional filter off, the cross-navigation buttons over this list),
// its list view and its status bar. One class serves the three lists, parameterised by the list.
// It works on the document's list through the document's operations; cross-navigation to another
// list goes out as relatedRequested, for the window to hand to the target list's panel.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "document/document.h"

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QToolBar;
class QToolButton;
class ListTableModel;

class ResultListPanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel of `list` over `doc`, which must outlive the panel.
    ResultListPanel(Document& doc, ResultList list, QWidget* parent = nullptr);

    ResultList list() const { return list_; }

    /// Shows the list as the document now holds it, with its status text.
    void showList();
    /// Shows the list after another list filtered it: the filter can be switched off, no row is selected
    /// (selectionChanged goes out when some were).
    void showRelatedRows();
    /// The display rows selected, in ascending order.
    std::vector<std::size_t> selectedRows() const;

    /// Selects the row whose first column reads `text` (Windows-1251) and scrolls to it, switching
    /// the additional filter off first when it hides that row. False when no row reads it.
    bool selectEntry(const std::string& text);

    /// Disables every tool button, as a new analysis does.
    void disableTools();
    /// Enables the type-filter button, as the end of an analysis does.
    void enableTypeFilter();

  signals:
    /// A cross-navigation button over this list was clicked (`button` is one of kRelatedButtons).
    void relatedRequested(const RelatedButton* button);
    /// The user selected or deselected rows of the list, or a filter took selected rows out of it.
    void selectionChanged();
    /// "Показать в странице" was clicked with rows selected.
    void markRequested();

  private:
    void buildToolBar(QToolBar* bar);
    void buildContextMenu();
    void buildExport(QToolBar* bar);
    void showStatus();
    /// Runs `change` (a sort or a filter of the list) keeping the selection on the same entries.
    void changeRows(const std::function<void()>& change);
    /// Sets the buttons by the selection as it now is and tells the window it changed.
    void followSelection();

    Document& doc_;
    ResultList list_;
    ListTableModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* typeMenu_ = nullptr;
    QToolButton* typeButton_ = nullptr;
    QAction* filterOff_ = nullptr;
    QAction* mark_ = nullptr;
    std::vector<QAction*> related_;
};
