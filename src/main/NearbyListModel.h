#pragma once
// The lines of the nearby list as the list view shows them. They stay as the build
// made them; a line becomes text for the screen only when the view asks for it, so a
// list of thousands of lines costs no more to show than the rows in sight.

#include <QAbstractListModel>
#include <QList>

#include "Nearby.h"

namespace qern {

class NearbyListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(QList<NearbyLine> lines);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<NearbyLine> m_lines;
};

} // namespace qern
