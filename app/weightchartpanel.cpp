#include "app/weightchartpanel.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/panelparts.h"
#include "document/weightcurve.h"
#include "views/qt/qtext.h"

namespace {

// The room a tick's label needs: a row on the value axis, a column on the order axis.
constexpr double kPixelsPerRow = 28;
constexpr double kPixelsPerColumn = 48;

}  // namespace

WeightChartPanel::WeightChartPanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(2, 2, 2, 2));
    weights_ = new QLineSeries(chart_);
    weights_->setObjectName(QStringLiteral("csWeights"));
    weights_->setName(u("Вес предложения"));
    weights_->setPointsVisible(true);
    peaks_ = new QScatterSeries(chart_);
    peaks_->setObjectName(QStringLiteral("csPeaks"));
    peaks_->setName(u("В автореферате"));
    peaks_->setMarkerSize(9);
    peaks_->setColor(QColor(0xcc, 0x00, 0x00));
    limit_ = new QLineSeries(chart_);
    limit_->setObjectName(QStringLiteral("csLimit"));
    limit_->setPen(QPen(QColor(0x4e, 0x9a, 0x06), 2, Qt::DashLine));
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(weights_), static_cast<QAbstractSeries*>(peaks_),
                               static_cast<QAbstractSeries*>(limit_)})
        chart_->addSeries(s);
    axisX_ = new QValueAxis(chart_);
    axisX_->setTitleText(u("Порядок"));
    axisX_->setLabelFormat(QStringLiteral("%d"));
    axisY_ = new QValueAxis(chart_);
    axisY_->setTitleText(u("Вес"));
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (QAbstractSeries* s : chart_->series()) {
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }
    view_ = new QChartView(chart_);
    view_->setObjectName(QStringLiteral("chWeights"));
    view_->setAccessibleName(u("Кривая весов предложений"));
    view_->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel::CaptionStrip(u(" Кривая весов")));
    layout->addWidget(view_, 1);

    connect(weights_, &QLineSeries::clicked, this, &WeightChartPanel::onClicked);
    connect(peaks_, &QScatterSeries::clicked, this, &WeightChartPanel::onClicked);
    connect(weights_, &QLineSeries::hovered, this, &WeightChartPanel::onHovered);
    connect(peaks_, &QScatterSeries::hovered, this, &WeightChartPanel::onHovered);
    // The ticks follow the room the plot has, so that their labels always fit. The plot area
    // changes while the axes are set, so the fitting waits for the layout to settle: called at
    // once, it set the axes again from inside their own change, without end on a large page.
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        if (fitQueued_) return;
        fitQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            fitQueued_ = false;
            fitTicks();
        });
    });
    showCurve();
}

void WeightChartPanel::showCurve() {
    const WeightCurve curve = CurveOf(doc_);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.weights.size()));
    for (std::size_t k = 0; k < curve.weights.size(); ++k) points << QPointF(static_cast<double>(k), curve.weights[k]);
    weights_->replace(points);
    QList<QPointF> peaks;
    for (std::size_t k : curve.peaks) peaks << QPointF(static_cast<double>(k), curve.weights[k]);
    peaks_->replace(peaks);

    const double top = curve.weights.empty() ? 1 : std::max(1.0, *std::ranges::max_element(curve.weights));
    const double right = std::max(1.0, static_cast<double>(curve.weights.size()) - 1);
    QList<QPointF> limit;
    if (curve.limitAt) {
        const double x = static_cast<double>(*curve.limitAt) - 0.5;
        limit << QPointF(x, 0) << QPointF(x, top * 1.05);
    }
    limit_->replace(limit);
    limit_->setName(u("Ограничение: %1").arg(FromCp1251(curve.limitCaption)));
    right_ = right;
    top_ = top * 1.05;
    fitTicks();
}

void WeightChartPanel::fitTicks() {
    // New labels change the plot area a little (a wider number on the value axis); fitting again
    // for that could swing between two layouts, so only a change of room larger than a label's
    // is fitted to.
    constexpr double kSlack = 24;
    const QRectF plot = chart_->plotArea();
    const bool sameRoom = std::abs(plot.width() - fittedRoom_.width()) < kSlack &&
                          std::abs(plot.height() - fittedRoom_.height()) < kSlack;
    if (sameRoom && right_ == fittedRight_ && top_ == fittedTop_) return;
    fittedRoom_ = plot.size();
    fittedRight_ = right_;
    fittedTop_ = top_;
    const double yStep = NiceStep(top_ / std::max(1.0, plot.height() / kPixelsPerRow));
    const double xStep = std::max(1.0, NiceStep(right_ / std::max(1.0, plot.width() / kPixelsPerColumn)));
    const double yTop = std::ceil(top_ / yStep) * yStep;
    // An axis lays its ticks out after every change: the range of a large page under the step of
    // a small one would make a tick for each of its sentences. A step longer than both ranges
    // comes first, then the range, then the step.
    const auto setAxis = [](QValueAxis* axis, double top, double step) {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        axis->setTickInterval(std::max({axis->max() - axis->min(), top, step}));
        axis->setRange(0, top);
        axis->setTickInterval(step);
    };
    setAxis(axisX_, right_, xStep);
    setAxis(axisY_, yTop, yStep);
    axisY_->setLabelFormat(yStep >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
}

double WeightChartPanel::NiceStep(double raw) {
    if (!(raw > 0)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) return factor * power;
    }
    return 10 * power;
}

void WeightChartPanel::onHovered(const QPointF& point, bool state) {
    // The chart carries the tip, so that the view's own tooltip handling, which asks the item under
    // the pointer, shows it again rather than taking it away.
    const long long k = std::llround(point.x());
    const std::string tip = !state || k < 0 ? std::string() : SentenceTip(doc_, static_cast<std::size_t>(k));
    chart_->setToolTip(FromCp1251(tip));
    if (!tip.empty()) QToolTip::showText(QCursor::pos(), chart_->toolTip(), view_);
}

void WeightChartPanel::onClicked(const QPointF& point) {
    const long long k = std::llround(point.x());
    if (k < 0) return;
    if (auto row = SentenceRowOf(doc_, static_cast<std::size_t>(k))) emit sentenceRequested(*row);
}
