#include "app/panelparts.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "views/qt/listtablemodel.h"

namespace panel {

QLabel* CaptionStrip(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setFixedHeight(16);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Inactive, QPalette::Mid));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Inactive, QPalette::BrightText));
    label->setPalette(palette);
    return label;
}

QToolBar* FlatToolBar(const char* name) {
    auto* bar = new QToolBar;
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    return bar;
}

QStatusBar* OnePanelStatusBar(QLabel*& panel, const char* name) {
    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    panel = new QLabel;
    panel->setObjectName(QString::fromLatin1(name));
    bar->addWidget(panel, 1);
    return bar;
}

QAction* AddTool(QToolBar* bar, const char* name, IconId icon, const QString& hint) {
    QAction* action = bar->addAction(Icon(icon), hint);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    if (QWidget* button = bar->widgetForAction(action)) {
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(hint);
    }
    return action;
}

QToolButton* AddMenuTool(QToolBar* bar, const char* name, IconId icon, const QString& hint, QMenu* menu) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Icon(icon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

QWidget* Panel(const QString& caption, QToolBar* tools, QWidget* content, QStatusBar* status) {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CaptionStrip(caption));
    layout->addWidget(tools);
    layout->addWidget(content, 1);
    layout->addWidget(status);
    return panel;
}

QTableView* ListView(const char* name, ListTableModel* model) {
    auto* view = new QTableView;
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(QString::fromLatin1(name));
    view->setModel(model);
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setMinimumSectionSize(0);
    view->horizontalHeader()->setHighlightSections(false);
    view->setWordWrap(false);
    // The selection stays visible when the list loses the focus.
    QPalette palette = view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(palette);
    // Column widths come from the list; the others keep the toolkit's default.
    const ListModel& list = model->list();
    for (std::size_t k = 0; k < list.columns.size(); ++k) {
        const int width = list.columns[k].width;
        if (width != ListColumn::kDefaultWidth) view->setColumnWidth(static_cast<int>(k), width);
    }
    return view;
}

std::vector<int> SelectedRows(const QTableView* view) {
    std::vector<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ResetKeepingSelection(QTableView* view, ListTableModel* model) {
    const ListModel& list = model->list();
    std::vector<std::uint32_t> entries;
    for (int row : SelectedRows(view)) entries.push_back(list.rows[static_cast<std::size_t>(row)]);
    std::sort(entries.begin(), entries.end());
    model->reset();
    QItemSelection selection;
    for (std::size_t r = 0; r < list.rows.size() && !entries.empty(); ++r) {
        if (!std::binary_search(entries.begin(), entries.end(), list.rows[r])) continue;
        QModelIndex index = model->index(static_cast<int>(r), 0);
        selection.select(index, index);
    }
    const QSignalBlocker blocker(view->selectionModel());
    view->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->viewport()->update();
}

}  // namespace panel
