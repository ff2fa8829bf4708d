// ResultTabs: the tabs beside the sentence list: the summary pane, the "Контекст" pane of the
// words selected in a result list, the "Кривая весов" chart and the "Показатели" of the text. A
// pane's request to select a sentence goes out as sentenceRequested.
#pragma once

#include <QTabWidget>
#include <span>

#include "document/document.h"

class ConcordancePanel;
class FiguresPanel;
class SummaryPanel;
class WeightChartPanel;

class ResultTabs : public QTabWidget {
    Q_OBJECT

  public:
    /// Builds the tabs over `doc` (which must outlive them), the summary panel first.
    ResultTabs(Document& doc, SummaryPanel* summary, QWidget* parent = nullptr);

    /// Shows in the concordance the occurrences of display rows `rows` of a result list.
    void showOccurrences(ResultList list, std::span<const std::size_t> rows);
    /// Shows the results of a new analysis: an empty concordance, the new curve and figures.
    void showResults();
    /// Shows by zone the stems of display rows `stemRows` of the stem list and `combinationRows`
    /// of the combination list.
    void showZones(std::span<const std::size_t> stemRows, std::span<const std::size_t> combinationRows);
    /// Redraws the curve, as a new summary needs.
    void showCurve();

  signals:
    /// A pane asked to select display row `row` of the sentence list.
    void sentenceRequested(std::size_t row);

  private:
    ConcordancePanel* concordance_ = nullptr;
    WeightChartPanel* chart_ = nullptr;
    FiguresPanel* figures_ = nullptr;
};
