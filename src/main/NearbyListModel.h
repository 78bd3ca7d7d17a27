#pragma once
// The lines of the nearby list as the list view shows them. A line is written when
// the view first asks for it (a row in sight, a key typed to find a row) and kept.

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include "Nearby.h"

namespace qern {

class NearbyListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(NearbyResult found);
    void clear();

    // Without the checks through rowCount() and columnCount() that the base class makes:
    // the view asks for the index of every row when it lays the list out.
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    NearbyResult m_found;
    mutable QHash<int, QString> m_written; // by row
};

} // namespace qern
