#include "app/resulttabs.h"

#include "app/concordancepanel.h"
#include "app/figurespanel.h"
#include "app/summarypanel.h"
#include "app/weightchartpanel.h"
#include "views/qt/qtext.h"

ResultTabs::ResultTabs(Document& doc, SummaryPanel* summary, QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("tcResults"));
    setDocumentMode(true);
    concordance_ = new ConcordancePanel(doc);
    chart_ = new WeightChartPanel(doc);
    figures_ = new FiguresPanel(doc);
    addTab(summary, u("&Автореферат"));
    addTab(concordance_, u("&Контекст"));
    addTab(chart_, u("Кривая &весов"));
    addTab(figures_, u("&Показатели"));
    connect(concordance_, &ConcordancePanel::sentenceRequested, this, &ResultTabs::sentenceRequested);
    connect(chart_, &WeightChartPanel::sentenceRequested, this, &ResultTabs::sentenceRequested);
}

void ResultTabs::showOccurrences(ResultList list, std::span<const std::size_t> rows) {
    concordance_->showOccurrences(list, rows);
}

void ResultTabs::showResults() {
    concordance_->showList();
    chart_->showCurve();
    figures_->showFigures();
}

void ResultTabs::showZones(std::span<const std::size_t> stemRows, std::span<const std::size_t> combinationRows) {
    figures_->showZones(stemRows, combinationRows);
}

void ResultTabs::showCurve() { chart_->showCurve(); }
