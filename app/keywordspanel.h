// KeywordsPanel: the "Ключевые слова" tab: the stems of the page on screen against the reference
// chosen with "Сравнить с...": the stems used more (+) and less (−) than in the reference,
// significant by log-likelihood, with their counts and frequencies per million on each side, Log
// Ratio, %DIFF and simple maths, sortable by any column. The significance level and the least count
// are set on its tool bar. A double click on a row goes out as stemRequested, for the window to
// select that stem in the stem list.
#pragma once

#include <QWidget>
#include <string>

#include "document/document.h"
#include "reference/corpus.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTableView;

class KeywordsPanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit KeywordsPanel(Document& doc, QWidget* parent = nullptr);

    /// Compares with `reference` from now on (kept by the caller until the next call; null: none),
    /// named `name` in the panel's status line, and shows the key words.
    void setReference(const Corpus* reference, const QString& name);
    /// Shows the key words of the document's last run against the reference.
    void showKeywords();

    QTableView* view() const { return view_; }
    QLabel* statusLabel() const { return status_; }
    QComboBox* levelBox() const { return level_; }
    QSpinBox* minCountBox() const { return minCount_; }

  signals:
    /// A row was double-clicked: the stem (Windows-1251) to select in the stem list.
    void stemRequested(const std::string& stem);

  private:
    Document& doc_;
    const Corpus* reference_ = nullptr;
    QString name_;
    QTableView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QComboBox* level_ = nullptr;
    QSpinBox* minCount_ = nullptr;
};
