// SentencePanel: the sentence list `lvDocumentText` ("Реферируемый текст") with its tool bar (force
// the headings, force a sentence, clear the marks) and status bar. The sentence texts can be
// edited in place; the summary shows an edited sentence at once and uses the edited texts from then on. A change of the
// forced marks goes out as marksChanged, for the window to rebuild the summary.
#pragma once

#include <QWidget>

#include "document/document.h"

class QAction;
class QItemSelection;
class QLabel;
class QTableView;
class ListTableModel;

class SentencePanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit SentencePanel(Document& doc, QWidget* parent = nullptr);

    /// Shows the sentence list as the document now holds it, with its status text.
    void showList();
    /// Shows the list after its rows were reordered, keeping the same sentences selected.
    void showKeepingSelection();
    /// Selects display row `row` alone and scrolls it into view.
    void selectRow(std::size_t row);

    /// Disables every tool button, as a new analysis does.
    void disableTools();
    /// Readies the tool buttons for a new summary: the heading and clear buttons enabled, both
    /// forcing buttons released, no sentence selected.
    void readyForSummary();

  signals:
    /// The user forced or released sentences: the summary must be rebuilt.
    void marksChanged();
    /// The user edited a sentence that is in the summary: the summary must be shown again.
    void summaryTextChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void forceSentence();

    Document& doc_;
    ListTableModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* forceHeadings_ = nullptr;
    QAction* forceSentence_ = nullptr;
    QAction* clearMarks_ = nullptr;
};
