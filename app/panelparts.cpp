#include "app/panelparts.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "views/qt/listtablemodel.h"
#include "views/qt/qtext.h"
#include "views/sorting.h"

namespace {

// The width a header section needs to show `caption` in full.
int CaptionWidth(const QHeaderView* header, const QString& caption) {
    QStyleOptionHeader option;
    option.initFrom(header);
    option.orientation = Qt::Horizontal;
    option.text = caption;
    return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
}

// Sets the widths of the view's columns: the list's widths, each widened to show its caption with
// the sort mark, so that the caption shows in full whichever column sorts. A column the list leaves
// to the toolkit holds a share as the lists cut it; a collapsed column stays collapsed.
void FitColumns(QTableView* view, const ListModel& list) {
    const QHeaderView* header = view->horizontalHeader();
    const int number = CaptionWidth(header, QStringLiteral("0,0000"));  // a share cut to six characters
    for (std::size_t k = 0; k < list.columns.size(); ++k) {
        const ListColumn& column = list.columns[k];
        if (column.width == 0) {
            view->setColumnWidth(static_cast<int>(k), 0);
            continue;
        }
        const int caption = CaptionWidth(header, FromCp1251(sorting::WithSortMark(column.caption)));
        const int width = column.width == ListColumn::kDefaultWidth ? number : column.width;
        view->setColumnWidth(static_cast<int>(k), std::max(width, caption));
    }
}

// The entries of the rows selected in the view, marked by entry; `count` is how many.
std::vector<bool> SelectedEntries(const QTableView* view, const ListModel& list, std::size_t& count) {
    std::vector<bool> marks;
    count = 0;
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        const int bottom = std::min(range.bottom(), static_cast<int>(list.rows.size()) - 1);
        for (int r = std::max(range.top(), 0); r <= bottom; ++r) {
            const std::uint32_t entry = list.rows[static_cast<std::size_t>(r)];
            if (entry >= marks.size()) marks.resize(entry + 1);
            if (!marks[entry]) ++count;
            marks[entry] = true;
        }
    }
    return marks;
}

// The selection of the rows whose entries are marked, one range per run of adjacent rows.
QItemSelection RowsOf(const ListTableModel* model, const std::vector<bool>& marks, std::size_t& count) {
    const std::vector<std::uint32_t>& rows = model->list().rows;
    const int last = model->columnCount() - 1;
    const auto marked = [&](std::size_t r) { return rows[r] < marks.size() && marks[rows[r]]; };
    QItemSelection selection;
    count = 0;
    for (std::size_t r = 0; r < rows.size();) {
        if (!marked(r)) {
            ++r;
            continue;
        }
        std::size_t end = r + 1;
        while (end < rows.size() && marked(end)) ++end;
        selection.select(model->index(static_cast<int>(r), 0), model->index(static_cast<int>(end - 1), last));
        count += end - r;
        r = end;
    }
    return selection;
}

}  // namespace

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
    // Tab goes on to the next control; the arrow keys move within the list.
    view->setTabKeyNavigation(false);
    // The selection stays visible when the list loses the focus.
    QPalette palette = view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(palette);
    FitColumns(view, model->list());
    return view;
}

std::vector<int> SelectedRows(const QTableView* view) {
    // From the ranges, not per index: a list selected whole is one range of tens of thousands of rows.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

SelectionAfter ChangeKeepingSelection(QTableView* view, ListTableModel* model, const std::function<void()>& change) {
    const ListModel& list = model->list();
    std::size_t before = 0;
    const std::vector<bool> marks = SelectedEntries(view, list, before);
    const QModelIndex current = view->currentIndex();
    const bool hasCurrent = current.isValid() && static_cast<std::size_t>(current.row()) < list.rows.size();
    const std::uint32_t currentEntry = hasCurrent ? list.rows[static_cast<std::size_t>(current.row())] : 0;
    if (change) change();
    model->reset();
    std::size_t after = 0;
    const QItemSelection selection = RowsOf(model, marks, after);
    QModelIndex shownCurrent;
    if (hasCurrent) {
        const auto found = std::find(list.rows.begin(), list.rows.end(), currentEntry);
        if (found != list.rows.end())
            shownCurrent = model->index(static_cast<int>(found - list.rows.begin()), current.column());
    }
    {
        const QSignalBlocker blocker(view->selectionModel());
        view->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (shownCurrent.isValid())
            view->selectionModel()->setCurrentIndex(shownCurrent, QItemSelectionModel::NoUpdate);
    }
    if (shownCurrent.isValid()) view->scrollTo(shownCurrent);
    view->viewport()->update();
    return after < before ? SelectionAfter::kNarrowed : SelectionAfter::kSame;
}

void ResetKeepingSelection(QTableView* view, ListTableModel* model) { ChangeKeepingSelection(view, model, {}); }

}  // namespace panel
