// CollocatesPanel: the "Сочетаемость" tab: the stems that occur near the stem selected in the stem
// list, within a window of words to each side inside one sentence (5 by default), with O, E, the
// count, MI, MI3, t-score, log-likelihood and logDice, by logDice, sortable by any column. The
// window and the least O are set on its tool bar. A double click on a collocate shows in the
// concordance the occurrences of the stem that have it near, and goes out as concordanceShown.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "document/collocation.h"
#include "document/document.h"

class QLabel;
class QSpinBox;
class QTableView;

class CollocatesPanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit CollocatesPanel(Document& doc, QWidget* parent = nullptr);

    /// Forgets the stem and the occurrences of the page before, as a new analysis does.
    void showResults();
    /// Shows the collocates of the first of display rows `stemRows` of the stem list; none selected
    /// keeps the stem shown.
    void showNode(std::span<const std::size_t> stemRows);

    QTableView* view() const { return view_; }
    QLabel* statusLabel() const { return status_; }
    QSpinBox* spanBox() const { return span_; }
    QSpinBox* minCountBox() const { return minCount_; }

  signals:
    /// The concordance now shows the occurrences of the stem near a double-clicked collocate.
    void concordanceShown();

  private:
    void showCollocates();

    Document& doc_;
    std::unique_ptr<StemSequence> sequence_;  // of the last run, made when first needed
    std::optional<std::string> node_;         // the stem shown (Windows-1251)
    StemCollocates found_;
    QTableView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QSpinBox* span_ = nullptr;
    QSpinBox* minCount_ = nullptr;
};
