#include "app/resultlistpanel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <optional>
#include <span>

#include "app/listexport.h"
#include "app/panelparts.h"
#include "views/qt/listtablemodel.h"
#include "views/qt/qtext.h"

namespace {

// What tells the three lists' widgets apart.
struct ListLook {
    const char* caption;
    const char* view;
    const char* bar;
    const char* typeButton;
    std::string_view typeHint;  // Windows-1251
    const char* typeMenu;
    const char* typeItemPrefix;
    const char* filterOff;
    const char* status;
    std::span<const std::string_view> typeCaptions;
    unsigned separatorBefore;
};

const ListLook& LookOf(ResultList list) {
    static const std::array<ListLook, 3> kLooks = {{
        {" Словоосновы", "lvWordBase", "tbWordBase", "ToolButton1", kWordBaseFilterHint, "pmWordBase", "miWB",
         "tbWordBaseFilter", "StatusBar2", kWordTypeMenuCaptions, kWordTypeMenuSeparatorBefore},
        {" Слова", "lvWordFull", "tbWordFull", "ToolButton2", kWordFullFilterHint, "pmWordFull", "miWF",
         "tbWordFullFilter", "StatusBar4", kWordTypeMenuCaptions, kWordTypeMenuSeparatorBefore},
        {" Словосочетания", "lvWordExpr", "tbWordExpr", "ToolButton3", kWordExprFilterHint, "pmWordExpr", "miWE",
         "tbWordExprFilter", "StatusBar3", kExprTypeMenuCaptions, kExprTypeMenuSeparatorBefore},
    }};
    return kLooks[static_cast<std::size_t>(list)];
}

// The icons of the cross-navigation buttons, in the order of kRelatedButtons.
constexpr std::array<IconId, 8> kRelatedIcons = {IconId::kWordsOfStems,  IconId::kExprsOfStems, IconId::kStemsOfWords,
                                                 IconId::kSameStemWords, IconId::kExprsOfWords, IconId::kStemsOfExprs,
                                                 IconId::kWordsOfExprs,  IconId::kSameStemExprs};
static_assert(kRelatedIcons.size() == kRelatedButtons.size());

}  // namespace

ResultListPanel::ResultListPanel(Document& doc, ResultList list, QWidget* parent)
    : QWidget(parent), doc_(doc), list_(list) {
    const ListLook& look = LookOf(list);
    model_ = new ListTableModel(ListOf(doc_, list_), this);
    view_ = panel::ListView(look.view, model_);
    QToolBar* bar = panel::FlatToolBar(look.bar);
    buildToolBar(bar);
    buildExport(bar);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        panel::Panel(QString::fromUtf8(look.caption), bar, view_, panel::OnePanelStatusBar(status_, look.status)));

    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { changeRows([&] { SortList(doc_, list_, static_cast<unsigned>(column)); }); });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                // The buttons follow the latest selection event of the list.
                if (selected.isEmpty() && deselected.isEmpty()) return;
                for (QAction* a : related_) a->setEnabled(!selected.isEmpty());
                mark_->setEnabled(!selected.isEmpty());
                emit selectionChanged();
            });
    disableTools();
}

void ResultListPanel::buildToolBar(QToolBar* bar) {
    const ListLook& look = LookOf(list_);
    typeMenu_ = new QMenu(this);
    typeMenu_->setObjectName(QString::fromLatin1(look.typeMenu));
    const std::span<const bool> hidden = TypeHiddenOf(doc_, list_);
    for (std::size_t k = 0; k < look.typeCaptions.size(); ++k) {
        if (k == look.separatorBefore) typeMenu_->addSeparator();
        QAction* item = typeMenu_->addAction(FromCp1251(look.typeCaptions[k]));
        item->setObjectName(QString::fromLatin1(look.typeItemPrefix) + QString::number(k));
        item->setCheckable(true);
        item->setChecked(!hidden[k]);
        connect(item, &QAction::triggered, this,
                [this, k](bool on) { changeRows([&] { SetTypeShown(doc_, list_, k, on); }); });
    }
    typeButton_ = panel::AddMenuTool(bar, look.typeButton, IconId::kTypeFilter, FromCp1251(look.typeHint), typeMenu_);
    connect(typeButton_, &QToolButton::clicked, this, [this] {
        changeRows([&] { ShowAllTypes(doc_, list_); });
        for (QAction* a : typeMenu_->actions()) a->setChecked(!a->isSeparator());
    });
    filterOff_ =
        panel::AddTool(bar, look.filterOff, IconId::kFilterOff, QString::fromUtf8("Отключить дополнительный фильтр"));
    connect(filterOff_, &QAction::triggered, this, [this] {
        changeRows([&] { ClearExtraFilter(doc_, list_); });
        filterOff_->setEnabled(false);
    });
    bar->addSeparator();
    for (std::size_t k = 0; k < kRelatedButtons.size(); ++k) {
        const RelatedButton& b = kRelatedButtons[k];
        if (b.source != list_) continue;
        const std::string name(b.name);
        QAction* action = panel::AddTool(bar, name.c_str(), kRelatedIcons[k], FromCp1251(b.hint));
        connect(action, &QAction::triggered, this, [this, &b] { emit relatedRequested(&b); });
        related_.push_back(action);
    }
    bar->addSeparator();
    mark_ =
        panel::AddTool(bar, (std::string(look.bar) + "Mark").c_str(), IconId::kMarkInPage, u("Показать в странице"));
    connect(mark_, &QAction::triggered, this, &ResultListPanel::markRequested);
    buildContextMenu();
}

void ResultListPanel::buildContextMenu() {
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    view_->addAction(mark_);
}

void ResultListPanel::buildExport(QToolBar* bar) {
    bar->addSeparator();
    new ListExporter(view_, ListOf(doc_, list_), bar, (std::string(LookOf(list_).bar) + "Save").c_str());
}

void ResultListPanel::showList() {
    model_->reset();
    showStatus();
}

bool ResultListPanel::selectEntry(const std::string& text) {
    auto find = [&]() -> std::optional<std::size_t> {
        const ListModel& list = ListOf(doc_, list_);
        for (std::size_t row = 0; row < list.rows.size(); ++row) {
            if (list.cell(row, 0) == text) return row;
        }
        return std::nullopt;
    };
    std::optional<std::size_t> row = find();
    if (!row && filterOff_->isEnabled()) {
        filterOff_->trigger();
        row = find();
    }
    if (!row) return false;
    view_->selectRow(static_cast<int>(*row));
    view_->scrollTo(view_->model()->index(static_cast<int>(*row), 0));
    return true;
}

void ResultListPanel::showRelatedRows() {
    // The list has changed under the view: its ranges still tell whether rows were selected, where
    // hasSelection() would ask the changed list.
    const bool hadSelection = !view_->selectionModel()->selection().isEmpty();
    showList();  // the reset leaves no row selected, and says nothing of it
    filterOff_->setEnabled(true);
    if (hadSelection) followSelection();
}

void ResultListPanel::showStatus() {
    const ListModel& list = ListOf(doc_, list_);
    if (list.status) status_->setText(FromCp1251(*list.status));
}

void ResultListPanel::changeRows(const std::function<void()>& change) {
    const panel::SelectionAfter after = panel::ChangeKeepingSelection(view_, model_, change);
    showStatus();
    if (after == panel::SelectionAfter::kNarrowed) followSelection();
}

void ResultListPanel::followSelection() {
    const bool any = view_->selectionModel()->hasSelection();
    for (QAction* a : related_) a->setEnabled(any);
    mark_->setEnabled(any);
    emit selectionChanged();
}

std::vector<std::size_t> ResultListPanel::selectedRows() const {
    const std::vector<int> rows = panel::SelectedRows(view_);
    return {rows.begin(), rows.end()};
}

void ResultListPanel::disableTools() {
    typeButton_->setEnabled(false);
    filterOff_->setEnabled(false);
    for (QAction* a : related_) a->setEnabled(false);
    mark_->setEnabled(false);
}

void ResultListPanel::enableTypeFilter() { typeButton_->setEnabled(true); }
