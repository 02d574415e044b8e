#pragma once

#include "ui/region_list.h"

#include <QAbstractTableModel>

#include <functional>

// The region list as a table: name, x, y, width, height. Every cell is edited in place: a name
// goes to `rename`, a number (column 1 to 4) to `reshape`; each says whether the list took it.
class RegionTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RegionTableModel(const RegionList& list, QObject* parent = nullptr);

    std::function<bool(int row, const QString& name)> rename;
    std::function<bool(int row, int column, const QString& number)> reshape;

    // The list changed as a whole.
    void refresh();
    // One row changed in place.
    void rowChanged(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    const RegionList& list_;
};
