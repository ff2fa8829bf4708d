// ResultTabs: the tabs beside the sentence list: the summary pane, the "Контекст" pane of the
// words selected in a result list, the "Кривая весов" chart, the "Показатели" of the text, the
// "Ключевые слова" of the page against a reference and the "Сочетаемость" of the stem selected in
// the stem list. A pane's request to select a sentence goes out as sentenceRequested, a key
// word's request to select its stem as stemRequested.
#pragma once

#include <QTabWidget>
#include <span>
#include <string>

#include "document/document.h"

class CollocatesPanel;
class ConcordancePanel;
class FiguresPanel;
class KeywordsPanel;
struct Corpus;
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
    /// Compares the page with `reference` (null: none) named `name` from now on, and brings the key
    /// words forward when there is one.
    void setReference(const Corpus* reference, const QString& name);

    KeywordsPanel* keywords() const { return keywords_; }
    CollocatesPanel* collocates() const { return collocates_; }

  signals:
    /// A pane asked to select display row `row` of the sentence list.
    void sentenceRequested(std::size_t row);
    /// A key word was double-clicked: the stem (Windows-1251) to select in the stem list.
    void stemRequested(const std::string& stem);

  private:
    ConcordancePanel* concordance_ = nullptr;
    WeightChartPanel* chart_ = nullptr;
    FiguresPanel* figures_ = nullptr;
    KeywordsPanel* keywords_ = nullptr;
    CollocatesPanel* collocates_ = nullptr;
};
