#include "app/concordancepanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QToolBar>

#include "app/listexport.h"
#include "app/panelparts.h"
#include "document/wordsincontext.h"
#include "views/qt/listtablemodel.h"
#include "views/qt/qtext.h"

ConcordancePanel::ConcordancePanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    model_ = new ListTableModel(doc_.concordance.list, this);
    view_ = panel::ListView("lvConcordance", model_);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    bar_ = panel::FlatToolBar("tbConcordance");
    new ListExporter(view_, doc_.concordance.list, bar_, "tbConcordanceSave");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        panel::Panel(u(" Слова в контексте"), bar_, view_, panel::OnePanelStatusBar(status_, "sbConcordance")));

    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        panel::ChangeKeepingSelection(view_, model_, [&] { SortConcordanceList(doc_, static_cast<unsigned>(column)); });
    });
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (auto row = SentenceRowOfConcordance(doc_, static_cast<std::size_t>(index.row())))
            emit sentenceRequested(*row);
    });
}

void ConcordancePanel::showOccurrences(ResultList list, std::span<const std::size_t> rows) {
    ShowConcordance(doc_, list, rows);
    showList();
}

void ConcordancePanel::showList() {
    model_->reset();
    if (doc_.concordance.list.status) status_->setText(FromCp1251(*doc_.concordance.list.status));
}
