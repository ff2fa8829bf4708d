#include "app/resulttabs.h"

#include "app/concordancepanel.h"
#include "app/summarypanel.h"
#include "app/weightchartpanel.h"
#include "views/qt/qtext.h"

ResultTabs::ResultTabs(Document& doc, SummaryPanel* summary, QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("tcResults"));
    setDocumentMode(true);
    concordance_ = new ConcordancePanel(doc);
    chart_ = new WeightChartPanel(doc);
    addTab(summary, u("&Автореферат"));
    addTab(concordance_, u("&Контекст"));
    addTab(chart_, u("Кривая &весов"));
    connect(concordance_, &ConcordancePanel::sentenceRequested, this, &ResultTabs::sentenceRequested);
    connect(chart_, &WeightChartPanel::sentenceRequested, this, &ResultTabs::sentenceRequested);
}

void ResultTabs::showOccurrences(ResultList list, std::span<const std::size_t> rows) {
    concordance_->showOccurrences(list, rows);
}

void ResultTabs::showResults() {
    concordance_->showList();
    chart_->showCurve();
}

void ResultTabs::showCurve() { chart_->showCurve(); }
