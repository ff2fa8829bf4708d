// The "Кривая весов" tab: a point per sentence in page order, the summary's sentences marked, the
// limit's place, kept up to date by every analysis, limit and forced row, and a click on a point
// selecting its sentence.
#include "app/weightchartpanel.h"

#include <QChartView>
#include <QHeaderView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTabWidget>
#include <QValueAxis>

#include "app/testwindow_for_tests.h"

namespace {

const char* const kPage =
    "<html><body><h1>Годовой отчёт</h1><p>Первый год работы был трудным. Год работы принёс успех и рост.</p>"
    "<p>Итоги года удивили. Работа года и итоги года работы важны. Просто слова тут.</p>"
    "<p>Год работы, итоги работы, рост года работы. Конец текста здесь.</p>"
    "<p>Итоги года работы и рост года работы, итоги работы. Мало.</p>"
    "<p>Рост года работы, итоги года и год работы снова. Тоже мало.</p></body></html>";

}  // namespace

class WeightChartPanelTest : public QObject, TestWindow {
    Q_OBJECT

    // The series belong to the chart, which the chart view shows.
    template <typename T>
    T* series(const char* name) {
        return ChildOrDie<T>(child<QChartView>("chWeights")->chart(), name);
    }
    QLineSeries* weights() { return series<QLineSeries>("csWeights"); }
    QScatterSeries* peaks() { return series<QScatterSeries>("csPeaks"); }
    QTableView* sentences() { return view("lvDocumentText"); }
    QString sentenceCell(int row, int column) { return cell("lvDocumentText", row, column); }
    // The summary's sentences by their "Порядок" numbers.
    QList<qreal> summaryOrders() {
        QList<qreal> orders;
        for (std::size_t entry : form_->document().summary.entries) orders << static_cast<qreal>(entry);
        return orders;
    }
    QList<qreal> peakOrders() {
        QList<qreal> orders;
        for (const QPointF& p : peaks()->points()) orders << p.x();
        return orders;
    }

  private slots:
    void init() { openWindow(kPage); }
    void cleanup() { closeWindow(); }

    void pointsAreTheSentencesAndPeaksTheSummarysRows() {
        QCOMPARE(child<QTabWidget>("tcResults")->tabText(2), u("Кривая &весов"));
        const int rows = sentences()->model()->rowCount();
        QVERIFY(rows >= 7);
        QCOMPARE(weights()->count(), rows);
        for (int k = 0; k < rows; ++k) {
            QCOMPARE(weights()->at(k).x(), qreal(k));
            QCOMPARE(weights()->at(k).y(), sentenceCell(k, 1).replace(QChar(','), QChar('.')).toDouble());
        }
        QVERIFY(!summaryOrders().isEmpty());
        QCOMPARE(peakOrders(), summaryOrders());
        QCOMPARE(series<QLineSeries>("csLimit")->count(), 0);
    }

    void theLimitAndTheForcedRowsRedrawIt() {
        action("miLimit1")->trigger();  // "3 предложения"
        QVERIFY(peakOrders().size() <= 3);
        QCOMPARE(peakOrders(), summaryOrders());
        auto* limit = series<QLineSeries>("csLimit");
        QCOMPARE(limit->count(), 2);
        QCOMPARE(limit->name(), u("Ограничение: 3 предложения"));
        QVERIFY(limit->at(0).x() > peakOrders().last());

        const int last = sentences()->model()->rowCount() - 1;
        select("lvDocumentText", {last});
        action("tbForceSentence")->trigger();
        QCOMPARE(peakOrders().last(), qreal(last));
        QCOMPARE(peakOrders(), summaryOrders());

        LoadTestPage(*browser_, u("<html><body><p>Один год. Два года.</p></body></html>"));
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(weights()->count(), sentences()->model()->rowCount());
    }

    // At the size the tab has in a window of 1400 × 900 the value axis had more ticks than its
    // labels had room for, and showed only "…"; the labels of both axes fit at any size.
    void theAxisLabelsFitTheRoomTheChartHas_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("short, as at 1400 × 900") << QSize(700, 140);
        QTest::newRow("narrow") << QSize(260, 400);
        QTest::newRow("large") << QSize(1200, 800);
    }
    void theAxisLabelsFitTheRoomTheChartHas() {
        QFETCH(QSize, size);
        Document doc;
        const std::string page = ToCp1251(u(kPage));
        QVERIFY(Analyse(doc, {{page}}));
        WeightChartPanel panel(doc);
        panel.resize(size);
        panel.show();
        auto* view = panel.chartView();
        QTRY_VERIFY(view->chart()->plotArea().width() > size.width() / 2);
        const QRectF plot = view->chart()->plotArea();
        for (QAbstractAxis* a : view->chart()->axes()) {
            auto* axis = qobject_cast<QValueAxis*>(a);
            const double ticks = axis->tickType() == QValueAxis::TicksDynamic
                                     ? (axis->max() - axis->min()) / axis->tickInterval() + 1
                                     : axis->tickCount();
            const QFontMetrics metrics(axis->labelsFont());
            const bool vertical = axis->orientation() == Qt::Vertical;
            // A label needs its line height on the value axis, and the width of the widest one on the order axis.
            const double room = vertical ? plot.height() : plot.width();
            const double label = vertical ? metrics.height() : metrics.horizontalAdvance(QString::number(axis->max()));
            QVERIFY2(ticks * label <= room + label,
                     qPrintable(u("%1 ticks of %2 px in %3 px").arg(ticks).arg(label).arg(room)));
        }
    }

    // The axes never hold more ticks than labels fit, not even for a moment: from a small page to
    // one of thousands of sentences and back (a tick for each sentence took minutes to lay out).
    void theAxesNeverLayOutATickPerSentence() {
        Document doc;
        const auto analyse = [&doc](int sentences) {
            std::string page = "<html><body><p>";
            for (int k = 0; k < sentences; ++k) page += "Word number " + std::to_string(k) + " here. ";
            return Analyse(doc, {{page + "</p></body></html>"}});
        };
        QVERIFY(analyse(3));
        WeightChartPanel panel(doc);
        panel.resize(600, 300);
        panel.show();
        QCoreApplication::processEvents();
        int most = 0;
        for (QAbstractAxis* a : panel.chartView()->chart()->axes()) {
            auto* axis = qobject_cast<QValueAxis*>(a);
            const auto count = [axis, &most] {
                most = std::max(most, static_cast<int>((axis->max() - axis->min()) / axis->tickInterval()) + 1);
            };
            connect(axis, &QValueAxis::rangeChanged, this, count);
            connect(axis, &QValueAxis::tickIntervalChanged, this, count);
        }
        for (int sentences : {5000, 3}) {
            QVERIFY(analyse(sentences));
            panel.showCurve();
            QCoreApplication::processEvents();
            QVERIFY2(most < 50, qPrintable(QString::number(most)));
        }
    }

    void aPointPointedAtTellsItsSentence() {
        emit weights()->hovered(weights()->at(2), true);
        const QString tip = child<QChartView>("chWeights")->chart()->toolTip();
        QVERIFY2(tip.startsWith(u("Порядок: 2\nВес: %1\n").arg(sentenceCell(2, 1))), qPrintable(tip));
        QVERIFY(tip.endsWith(sentenceCell(2, 0)));
        emit weights()->hovered(weights()->at(2), false);
        QVERIFY(child<QChartView>("chWeights")->chart()->toolTip().isEmpty());
    }

    void stepsAreRound_data() {
        QTest::addColumn<double>("raw");
        QTest::addColumn<double>("step");
        QTest::newRow("nothing") << 0.0 << 1.0;
        QTest::newRow("a fraction") << 0.07 << 0.1;
        QTest::newRow("just over one") << 1.2 << 2.0;
        QTest::newRow("three") << 3.0 << 5.0;
        QTest::newRow("seven hundred") << 700.0 << 1000.0;
    }
    void stepsAreRound() {
        QFETCH(double, raw);
        QFETCH(double, step);
        QCOMPARE(WeightChartPanel::NiceStep(raw), step);
    }

    void aClickOnAPointSelectsItsSentence() {
        emit sentences()->horizontalHeader()->sectionClicked(1);  // sorted by weight: rows and orders differ
        const QPointF point = weights()->at(4);
        emit weights()->clicked(point + QPointF(0.2, 0));
        const QModelIndexList selected = sentences()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(sentenceCell(selected[0].row(), 3), u("4"));
    }
};

QTEST_MAIN(WeightChartPanelTest)
#include "weightchartpanel_test.moc"
