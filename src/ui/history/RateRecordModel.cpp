#include "ui/history/RateRecordModel.h"

#include "rates/HistoryReport.h"

namespace orvel {

void RateRecordModel::setRecords(const std::vector<RateRecord> *records)
{
    beginResetModel();
    m_records = records;
    endResetModel();
}

int RateRecordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_records ? 0 : static_cast<int>(m_records->size());
}

int RateRecordModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant RateRecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_records)
        return {};
    const RateRecord &r = (*m_records)[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole)
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return r.date.toString(QStringLiteral("dd.MM.yyyy"));
    case 1:
        return QString::number(r.nominal);
    case 2:
        return rateText(r.value);
    default:
        return rateText(r.perUnit);
    }
}

QVariant RateRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[] = {"Дата", "Номинал", "Курс", "За 1 единицу"};
    return QString::fromUtf8(titles[section]);
}

} // namespace orvel
