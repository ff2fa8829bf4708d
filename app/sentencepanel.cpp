#include "app/sentencepanel.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

#include "app/listexport.h"
#include "app/panelparts.h"
#include "summary/forcedmarks.h"
#include "summary/sentencelist.h"
#include "views/qt/listtablemodel.h"
#include "views/qt/qtext.h"

SentencePanel::SentencePanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    model_ = new ListTableModel(doc_.sentences, this);
    view_ = panel::ListView("lvDocumentText", model_);
    QToolBar* bar = panel::FlatToolBar("tbDocumentText");
    forceHeadings_ = panel::AddTool(bar, "tbForceHeadings", IconId::kForceHeadings,
                                    QString::fromUtf8("Принудительно включить в автореферат заголовки"));
    forceSentence_ = panel::AddTool(bar, "tbForceSentence", IconId::kForceSentence,
                                    QString::fromUtf8("Принудительно включить в автореферат предложение"));
    clearMarks_ = panel::AddTool(bar, "tbClearMarks", IconId::kClearMarks,
                                 QString::fromUtf8("Снять все отметки принудительного включения в автореферат"));
    bar->addSeparator();
    new ListExporter(view_, doc_.sentences, bar, "tbDocumentTextSave");
    forceHeadings_->setCheckable(true);
    forceSentence_->setCheckable(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel::Panel(QString::fromUtf8(" Реферируемый текст"), bar, view_,
                                   panel::OnePanelStatusBar(status_, "sbDocumentText")));

    connect(forceHeadings_, &QAction::triggered, this, [this](bool pressed) {
        SetHeadingMarks(doc_.sentences, pressed ? MarkChange::kSet : MarkChange::kClear);
        emit marksChanged();
    });
    connect(forceSentence_, &QAction::triggered, this, &SentencePanel::forceSentence);
    connect(clearMarks_, &QAction::triggered, this, [this] {
        ClearMarks(doc_.sentences);
        forceHeadings_->setChecked(false);
        forceSentence_->setChecked(false);
        emit marksChanged();
    });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        SortSentences(doc_, static_cast<unsigned>(column));
        showKeepingSelection();
    });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &SentencePanel::onSelection);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);
    model_->setFirstColumnEditable([this](int row, const QString& text) {
        if (EditSentenceText(doc_, static_cast<std::size_t>(row), ToCp1251(text))) emit summaryTextChanged();
    });
    view_->installEventFilter(this);
    disableTools();
}

void SentencePanel::showList() {
    model_->reset();
    if (doc_.sentences.status) status_->setText(FromCp1251(*doc_.sentences.status));
}

void SentencePanel::showKeepingSelection() { panel::ResetKeepingSelection(view_, model_); }

void SentencePanel::selectRow(std::size_t row) {
    const QModelIndex index = model_->index(static_cast<int>(row), 0);
    if (!index.isValid()) return;
    view_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
}

void SentencePanel::disableTools() {
    for (QAction* a : {forceHeadings_, forceSentence_, clearMarks_}) a->setEnabled(false);
}

void SentencePanel::readyForSummary() {
    forceHeadings_->setEnabled(true);
    clearMarks_->setEnabled(true);
    forceHeadings_->setChecked(false);
    forceSentence_->setChecked(false);
    view_->clearSelection();
}

void SentencePanel::onSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    if (!selected.isEmpty()) {
        forceSentence_->setEnabled(true);
        const int row = selected.indexes().first().row();
        forceSentence_->setChecked(IsRowMarked(doc_.sentences, static_cast<std::size_t>(row)));
        return;
    }
    if (!deselected.isEmpty()) forceSentence_->setEnabled(false);
}

void SentencePanel::forceSentence() {
    const std::vector<int> rows = panel::SelectedRows(view_);
    if (rows.empty()) {
        forceSentence_->setChecked(!forceSentence_->isChecked());  // the click changes nothing
        return;
    }
    forceSentence_->setChecked(ToggleRowMark(doc_.sentences, static_cast<std::size_t>(rows.front())));
    emit marksChanged();
}

bool SentencePanel::eventFilter(QObject* watched, QEvent* event) {
    // The sentence column takes what the other columns leave of the list's width.
    if (watched == view_ && event->type() == QEvent::Resize)
        view_->setColumnWidth(0, std::max(view_->width() - 250, 50));
    return QWidget::eventFilter(watched, event);
}
