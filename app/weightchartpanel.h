// WeightChartPanel: the "Кривая весов" tab: the sentence weights in page order as a line, the
// sentences the summary chose marked on it, and where the summary's limit stopped the choice. A
// point pointed at tells its sentence's order, weight and text; a click on it goes out as
// sentenceRequested, for the window to select that sentence. The axes' ticks follow the room the
// chart has, at round steps, so that their labels read whole at any size.
#pragma once

#include <QSizeF>
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

    /// The round step (1, 2 or 5 times a power of ten) nearest above `raw`; 1 for no positive value.
    static double NiceStep(double raw);

  signals:
    /// A point was clicked whose sentence the sentence list shows in display row `row`.
    void sentenceRequested(std::size_t row);

  private:
    void onClicked(const QPointF& point);
    void onHovered(const QPointF& point, bool state);
    void fitTicks();

    Document& doc_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QLineSeries* weights_ = nullptr;
    QScatterSeries* peaks_ = nullptr;
    QLineSeries* limit_ = nullptr;
    double right_ = 1;        // the last sentence's order
    double top_ = 1;          // the highest weight, with room above it
    QSizeF fittedRoom_;       // the plot area the ticks were last fitted to
    double fittedRight_ = 0;  // and right_ and top_ then
    double fittedTop_ = 0;
    bool fitQueued_ = false;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
};
