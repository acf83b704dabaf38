#pragma once
// A currency's records as the history window's table shows them: the date,
// the nominal, the rate and the rate of one unit.
#include "rates/RateDocument.h"

#include <QAbstractTableModel>

#include <vector>

namespace orvel {

class RateRecordModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The records shown, kept by the caller for as long as they are; null
    // for none.
    void setRecords(const std::vector<RateRecord> *records);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<RateRecord> *m_records = nullptr;
};

} // namespace orvel
