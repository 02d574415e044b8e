#include "ui/region_table.h"

RegionTableModel::RegionTableModel(const RegionList& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}

void RegionTableModel::refresh()
{
    beginResetModel();
    endResetModel();
}

void RegionTableModel::rowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }

int RegionTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int RegionTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant RegionTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const ListedRegion& region = list_.regions()[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0: return QString::fromStdString(region.name);
    case 1: return region.box.minX;
    case 2: return region.box.minY;
    case 3: return region.box.width();
    default: return region.box.height();
    }
}

QVariant RegionTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    // Rows are named by their region, for screen readers; the row header is not shown.
    if (orientation == Qt::Vertical)
        return section < static_cast<int>(list_.size()) ? QString::fromStdString(list_.regions()[static_cast<std::size_t>(section)].name) : QVariant();
    static const char* const kTitles[] = {"이름", "x", "y", "너비", "높이"};
    return QString::fromUtf8(kTitles[section]);
}

Qt::ItemFlags RegionTableModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool RegionTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole)
        return false;
    if (index.column() == 0)
        return rename && rename(index.row(), value.toString());
    return reshape && reshape(index.row(), index.column(), value.toString());
}
