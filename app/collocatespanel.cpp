#include "app/collocatespanel.h"

#include <QLabel>
#include <QSpinBox>
#include <QTableView>
#include <QToolBar>

#include "app/measuretable.h"
#include "app/panelparts.h"
#include "base/cp1251.h"
#include "views/qt/qtext.h"

CollocatesPanel::CollocatesPanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setObjectName(QStringLiteral("pnCollocates"));
    auto* bar = panel::FlatToolBar("tbCollocates");
    const CollocateOptions defaults;
    bar->addWidget(new QLabel(u("Окно: ")));
    span_ = new QSpinBox;
    span_->setObjectName(QStringLiteral("sbCollocateSpan"));
    span_->setRange(1, 100);
    span_->setValue(static_cast<int>(defaults.span));
    span_->setSuffix(u(" слов с каждой стороны"));
    bar->addWidget(span_);
    bar->addSeparator();
    minCount_ = measuretable::AddMinCount(bar, "sbCollocateMinCount", defaults.minCount);
    view_ = measuretable::View("lvCollocates", u("Сочетаемость"));
    view_->setToolTip(u("Двойной щелчок — вхождения словоосновы рядом с этой на вкладке «Контекст»"));
    status_ = measuretable::LayOutPanel(this, bar, view_, "sbCollocates");
    connect(span_, &QSpinBox::valueChanged, this, &CollocatesPanel::showCollocates);
    connect(minCount_, &QSpinBox::valueChanged, this, &CollocatesPanel::showCollocates);
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const std::string item = cp1251::fromUtf8Lossy(measuretable::ItemOf(view_, index.row()));
        const auto node = node_ ? StemIdOf(doc_, *node_) : std::nullopt;
        const auto collocate = StemIdOf(doc_, item);
        if (!node || !collocate) return;
        ShowCollocateConcordance(doc_, *node, *collocate, static_cast<std::size_t>(span_->value()));
        emit concordanceShown();
    });
    showResults();
}

void CollocatesPanel::showResults() {
    sequence_.reset();
    node_.reset();
    showCollocates();
}

void CollocatesPanel::showNode(std::span<const std::size_t> stemRows) {
    if (stemRows.empty()) return;
    const ListModel& stems = ListOf(doc_, ResultList::kWordBase);
    if (stemRows.front() >= stems.rows.size()) return;
    node_ = stems.cell(stemRows.front(), 0);
    showCollocates();
}

void CollocatesPanel::showCollocates() {
    found_ = {};
    if (node_) {
        if (!sequence_) {
            sequence_ = std::make_unique<StemSequence>();
            sequence_->add(doc_);
        }
        CollocateOptions options;
        options.span = static_cast<std::size_t>(span_->value());
        options.minCount = minCount_->value();
        found_ = CollocatesOf(*sequence_, *node_, options);
    }
    const StemSequence empty;
    measuretable::FillRows(view_, CollocateColumns(),
                           CollocateRows(found_, sequence_ ? *sequence_ : empty, doc_.decimalSeparator),
                           doc_.decimalSeparator);
    if (!node_) {
        status_->setText(u("Выберите словооснову в списке словооснов"));
    } else {
        status_->setText(u("Словооснова «%1»: %2 вхожд., словооснов рядом: %3")
                             .arg(FromCp1251(*node_))
                             .arg(found_.nodeCount)
                             .arg(found_.found.size()));
    }
}
