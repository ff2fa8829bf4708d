#include "app/resulttabs.h"

#include "app/collocatespanel.h"
#include "app/concordancepanel.h"
#include "app/figurespanel.h"
#include "app/keywordspanel.h"
#include "app/summarypanel.h"
#include "app/weightchartpanel.h"
#include "views/qt/qtext.h"

ResultTabs::ResultTabs(Document& doc, SummaryPanel* summary, QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("tcResults"));
    setDocumentMode(true);
    concordance_ = new ConcordancePanel(doc);
    chart_ = new WeightChartPanel(doc);
    figures_ = new FiguresPanel(doc);
    keywords_ = new KeywordsPanel(doc);
    collocates_ = new CollocatesPanel(doc);
    addTab(summary, u("&Автореферат"));
    addTab(concordance_, u("&Контекст"));
    addTab(chart_, u("Кривая &весов"));
    addTab(figures_, u("&Показатели"));
    addTab(keywords_, u("Клю&чевые слова"));
    addTab(collocates_, u("Соч&етаемость"));
    connect(concordance_, &ConcordancePanel::sentenceRequested, this, &ResultTabs::sentenceRequested);
    connect(chart_, &WeightChartPanel::sentenceRequested, this, &ResultTabs::sentenceRequested);
    connect(keywords_, &KeywordsPanel::stemRequested, this, &ResultTabs::stemRequested);
    connect(collocates_, &CollocatesPanel::concordanceShown, this, [this] {
        concordance_->showList();
        setCurrentWidget(concordance_);
    });
}

void ResultTabs::showOccurrences(ResultList list, std::span<const std::size_t> rows) {
    concordance_->showOccurrences(list, rows);
    if (list == ResultList::kWordBase) collocates_->showNode(rows);
}

void ResultTabs::showResults() {
    concordance_->showList();
    chart_->showCurve();
    figures_->showFigures();
    keywords_->showKeywords();
    collocates_->showResults();
}

void ResultTabs::showZones(std::span<const std::size_t> stemRows, std::span<const std::size_t> combinationRows) {
    figures_->showZones(stemRows, combinationRows);
}

void ResultTabs::showCurve() { chart_->showCurve(); }

void ResultTabs::setReference(const Corpus* reference, const QString& name) {
    keywords_->setReference(reference, name);
    if (reference) setCurrentWidget(keywords_);  // a reference was asked for to see the comparison
}
