// ConcordancePanel: the "Контекст" pane `lvConcordance`: every occurrence of the items selected in
// a result list as a key-word-in-context row, sortable by a click on a column caption, with the
// count of rows in its status bar. A double click on a row goes out as sentenceRequested, for the
// window to select that sentence in the sentence list.
#pragma once

#include <QWidget>
#include <span>

#include "document/document.h"

class QLabel;
class QTableView;
class QToolBar;
class ListTableModel;

class ConcordancePanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit ConcordancePanel(Document& doc, QWidget* parent = nullptr);

    /// Shows the occurrences of the items of display rows `rows` of a result list.
    void showOccurrences(ResultList list, std::span<const std::size_t> rows);
    /// Shows the concordance as the document now holds it, with its status text.
    void showList();

    QTableView* view() const { return view_; }
    QToolBar* toolBar() const { return bar_; }

  signals:
    /// A row was double-clicked whose occurrence stands in sentence-list display row `row`.
    void sentenceRequested(std::size_t row);

  private:
    Document& doc_;
    ListTableModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QToolBar* bar_ = nullptr;
    QLabel* status_ = nullptr;
};
