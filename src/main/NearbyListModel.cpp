#include "NearbyListModel.h"

#include "Text.h"

namespace qern {

void NearbyListModel::setLines(QList<NearbyLine> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void NearbyListModel::clear()
{
    setLines({});
}

int NearbyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant NearbyListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return fromWindows1252(m_lines[index.row()].text);
}

} // namespace qern
