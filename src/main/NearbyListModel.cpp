#include "NearbyListModel.h"

#include "Text.h"

namespace qern {

void NearbyListModel::setLines(NearbyResult found)
{
    beginResetModel();
    m_found = std::move(found);
    m_written.clear();
    endResetModel();
}

void NearbyListModel::clear()
{
    setLines({});
}

QModelIndex NearbyListModel::index(int row, int column, const QModelIndex &parent) const
{
    const bool inList = row >= 0 && row < m_found.lines.size() && column == 0 && !parent.isValid();
    return inList ? createIndex(row, column) : QModelIndex();
}

int NearbyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_found.lines.size());
}

QVariant NearbyListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    auto written = m_written.find(index.row());
    if (written == m_written.end())
        written = m_written.insert(index.row(), fromWindows1252(m_found.lineText(index.row())));
    return *written;
}

} // namespace qern
