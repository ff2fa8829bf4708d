// SummaryPanel: the summary pane `reReferat` ("Автореферат") with its tool bar (copy, save as RTF,
// the limits menu) and status bar. The pane's text can be edited; copy and save take it as it
// stands. A rebuild re-sorts the sentence list by order, which goes out as rebuilt.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "document/document.h"

class QAction;
class QLabel;
class QTextEdit;
class QToolButton;

class SummaryPanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit SummaryPanel(Document& doc, QWidget* parent = nullptr);

    /// Replaces the file dialog that asks where to save the summary (an empty name cancels).
    void setSaveFileNameAsker(std::function<QString()> ask) { askSaveFileName_ = std::move(ask); }
    /// Replaces the error message box (the message in place of the dialog).
    void setErrorReporter(std::function<void(const QString&)> report) { reportError_ = std::move(report); }

    /// Shows the document's summary and its status text.
    void showSummary();
    /// Empties the pane, as a new analysis does.
    void clear();
    /// Rebuilds the summary under item `limit` of the limits menu, checks that item and shows it.
    void rebuild(std::size_t limit);

    /// Disables every tool button, as a new analysis does.
    void disableTools();
    /// Enables copy, save and the limits, with "Без ограничения" checked, when the pane holds a summary.
    void readyForSummary();

  signals:
    /// The summary was rebuilt, and the sentence list re-sorted by order with it.
    void rebuilt();

  private:
    void copy();
    void save();

    Document& doc_;
    QTextEdit* pane_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* save_ = nullptr;
    QToolButton* limitsButton_ = nullptr;
    std::vector<QAction*> limitItems_;
    std::function<QString()> askSaveFileName_;
    std::function<void(const QString&)> reportError_;
};
