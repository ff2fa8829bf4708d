// WeightChartPanel: the "Кривая весов" tab: the sentence weights in page order as a line, the
// sentences the summary chose marked on it, and where the summary's limit stopped the choice. A
// click on a point goes out as sentenceRequested, for the window to select that sentence.
#pragma once

#include <QWidget>

#include "document/document.h"

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

class WeightChartPanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit WeightChartPanel(Document& doc, QWidget* parent = nullptr);

    /// Shows the curve of the document's sentence list and summary as they now are.
    void showCurve();

    QChartView* chartView() const { return view_; }

  signals:
    /// A point was clicked whose sentence the sentence list shows in display row `row`.
    void sentenceRequested(std::size_t row);

  private:
    void onClicked(const QPointF& point);

    Document& doc_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QLineSeries* weights_ = nullptr;
    QScatterSeries* peaks_ = nullptr;
    QLineSeries* limit_ = nullptr;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
};
