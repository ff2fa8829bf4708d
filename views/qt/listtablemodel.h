// ListTableModel: a Qt table model over one ListModel, so that a list view shows its rows, its
// column captions with the sort mark and its alignment. A rebuild of the list is one model reset;
// rows are converted from the list's Windows-1251 to Unicode (QString) only when the view asks
// for them.
#pragma once

#include <QAbstractTableModel>

#include "views/listmodel.h"

class ListTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    /// Shows `list`, which must outlive the model.
    explicit ListTableModel(const ListModel& list, QObject* parent = nullptr);

    /// The list shown.
    const ListModel& list() const { return list_; }

    /// Makes the views show the list's current rows and captions (after the list was rebuilt or sorted).
    void reset();

    /// Lets the user edit the texts of column 0; an edit is written back through `onEdit`.
    void setFirstColumnEditable(std::function<void(int row, const QString& text)> onEdit);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  private:
    const ListModel& list_;
    std::function<void(int, const QString&)> onEdit_;
};
