#include "app/measuretable.h"

#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <limits>

#include "base/numformat.h"

namespace measuretable {

QTableView* View(const char* name, const QString& accessibleName) {
    auto* view = new QTableView;
    auto* model = new QStandardItemModel(view);
    model->setSortRole(Qt::UserRole);
    view->setModel(model);
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(accessibleName);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    view->horizontalHeader()->setSortIndicatorShown(true);
    view->horizontalHeader()->setSectionsClickable(true);
    view->setSortingEnabled(true);
    return view;
}

QStandardItemModel* ModelOf(const QTableView* view) { return static_cast<QStandardItemModel*>(view->model()); }

void FillRows(QTableView* view, const std::vector<std::string>& columns,
              const std::vector<std::vector<std::string>>& rows, char separator) {
    QStandardItemModel* model = ModelOf(view);
    model->clear();
    QStringList captions;
    for (const std::string& caption : columns) captions << QString::fromStdString(caption);
    model->setHorizontalHeaderLabels(captions);
    for (const std::vector<std::string>& row : rows) {
        QList<QStandardItem*> items;
        for (std::size_t c = 0; c < row.size(); ++c) {
            auto* item = new QStandardItem(QString::fromStdString(row[c]));
            if (c == 0) {
                item->setData(item->text().toLower(), Qt::UserRole);
            } else {
                const auto value = numformat::ParseFloat(row[c], separator);
                const double key = row[c] == "inf"  ? std::numeric_limits<double>::infinity()
                                   : value          ? *value
                                   : row[c].empty() ? -std::numeric_limits<double>::infinity()
                                                    : 0;
                item->setData(key, Qt::UserRole);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            items << item;
        }
        model->appendRow(items);
    }
    const int sorted = view->horizontalHeader()->sortIndicatorSection();
    if (sorted >= 0 && sorted < model->columnCount())
        model->sort(sorted, view->horizontalHeader()->sortIndicatorOrder());
    view->resizeColumnsToContents();
}

QLabel* LayOutPanel(QWidget* panel, QToolBar* bar, QTableView* view, const char* statusName) {
    auto* status = new QLabel;
    status->setObjectName(QString::fromLatin1(statusName));
    status->setWordWrap(true);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(view, 1);
    layout->addWidget(status);
    return status;
}

QSpinBox* AddMinCount(QToolBar* bar, const char* name, long long value) {
    bar->addWidget(new QLabel(QString::fromUtf8(" Не реже ")));
    auto* box = new QSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(1, 1'000'000);
    box->setValue(static_cast<int>(value));
    box->setSuffix(QString::fromUtf8(" раз"));
    bar->addWidget(box);
    return box;
}

std::string ItemOf(const QTableView* view, int row) {
    const QModelIndex index = view->model()->index(row, 0);
    return index.isValid() ? index.data().toString().toStdString() : std::string();
}

}  // namespace measuretable
