#include "app/keywordspanel.h"

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>
#include <QToolBar>

#include "app/measuretable.h"
#include "app/panelparts.h"
#include "base/cp1251.h"
#include "reference/reference.h"
#include "views/qt/qtext.h"

KeywordsPanel::KeywordsPanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setObjectName(QStringLiteral("pnKeywords"));
    auto* bar = panel::FlatToolBar("tbKeywords");
    bar->addWidget(new QLabel(u("Уровень значимости p < ")));
    level_ = new QComboBox;
    level_->setObjectName(QStringLiteral("cbKeywordLevel"));
    for (double p : kSignificanceLevels) level_->addItem(QString::number(p), p);
    level_->setCurrentIndex(1);  // 0.01, as sumoran-cli compare
    bar->addWidget(level_);
    bar->addSeparator();
    minCount_ = measuretable::AddMinCount(bar, "sbKeywordMinCount", KeywordOptions{}.minCount);
    view_ = measuretable::View("lvKeywords", u("Ключевые слова"));
    view_->setToolTip(u("Двойной щелчок — выделить словооснову в списке словооснов"));
    status_ = measuretable::LayOutPanel(this, bar, view_, "sbKeywords");
    connect(level_, &QComboBox::currentIndexChanged, this, &KeywordsPanel::showKeywords);
    connect(minCount_, &QSpinBox::valueChanged, this, &KeywordsPanel::showKeywords);
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const std::string item = measuretable::ItemOf(view_, index.row());
        if (!item.empty()) emit stemRequested(cp1251::fromUtf8Lossy(item));
    });
    showKeywords();
}

void KeywordsPanel::setReference(const Corpus* reference, const QString& name) {
    reference_ = reference;
    name_ = name;
    showKeywords();
}

void KeywordsPanel::showKeywords() {
    Corpus target;
    const bool analysed = doc_.analysis().wbTotals.totalCount > 0;
    if (analysed) AddAnalysedPage(doc_, target);
    Keywords found;
    if (reference_ && analysed) {
        KeywordOptions options;
        options.p = level_->currentData().toDouble();
        options.minCount = minCount_->value();
        found = CompareCorpora(target, *reference_, CompareItems::kStems, options);
    }
    measuretable::FillRows(view_, KeywordColumns(CompareItems::kStems), KeywordRows(found, doc_.decimalSeparator),
                           doc_.decimalSeparator);
    if (!reference_) {
        status_->setText(u("Эталон не выбран: Файл → Сравнить с..."));
    } else if (!analysed) {
        status_->setText(u("Эталон: %1. На странице нет слов для сравнения").arg(name_));
    } else {
        status_->setText(u("Эталон: %1 (%2 стр., %3 слов). Чаще на странице: %4, реже: %5")
                             .arg(name_)
                             .arg(reference_->pages)
                             .arg(WordsOf(*reference_))
                             .arg(found.positive.size())
                             .arg(found.negative.size()));
    }
}
