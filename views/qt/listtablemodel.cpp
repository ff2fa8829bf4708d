#include "views/qt/listtablemodel.h"

#include "views/qt/qtext.h"

ListTableModel::ListTableModel(const ListModel& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}

void ListTableModel::reset() {
    beginResetModel();
    endResetModel();
}

void ListTableModel::setFirstColumnEditable(std::function<void(int, const QString&)> onEdit) {
    onEdit_ = std::move(onEdit);
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.rows.size());
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.columns.size());
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole) {
        return FromCp1251(list_.cell(static_cast<std::size_t>(index.row()), static_cast<unsigned>(index.column())));
    }
    if (role == Qt::TextAlignmentRole) {
        bool right = list_.columns[static_cast<std::size_t>(index.column())].rightAligned;
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return FromCp1251(list_.shownCaption(static_cast<unsigned>(section)));
    if (role == Qt::TextAlignmentRole) {
        bool right = list_.columns[static_cast<std::size_t>(section)].rightAligned;
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

Qt::ItemFlags ListTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0 && onEdit_) f |= Qt::ItemIsEditable;
    return f;
}

bool ListTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::EditRole || !onEdit_) return false;
    onEdit_(index.row(), value.toString());
    emit dataChanged(index, index);
    return true;
}
