#include "ui/schedule/ScheduleModel.h"

#include <QColor>
#include <QFont>

namespace orvel {

namespace {
constexpr Qt::Alignment kNumber = Qt::AlignRight | Qt::AlignVCenter;
} // namespace

void ScheduleModel::setRows(const std::vector<ScheduleRow> &rows, const QLocale &locale)
{
    const int before = int(m_rows.size());
    const int after = int(rows.size());
    m_locale = locale;
    if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        m_rows.resize(std::size_t(after));
        endRemoveRows();
    } else if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        m_rows.insert(m_rows.end(), rows.begin() + before, rows.end());
        endInsertRows();
    }
    const int kept = std::min(before, after);
    std::copy(rows.begin(), rows.begin() + kept, m_rows.begin());
    if (kept > 0)
        emit dataChanged(index(0, 0), index(kept - 1, ColCount - 1));
}

int ScheduleModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int ScheduleModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColCount; }

QVariant ScheduleModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const ScheduleRow &row = m_rows[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == ColMonth)
            return QString::number(row.month);
        if (column == ColEarly && row.early == 0)
            return QString();
        return moneyText(scheduleFigure(row, column), m_locale);
    case Qt::UserRole:
        return qlonglong(scheduleFigure(row, column));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column == ColMonth ? Qt::AlignCenter : kNumber);
    case Qt::BackgroundRole:
        if (row.early > 0)
            return QColor(255, 244, 214); // a month with an early repayment
        return {};
    default:
        return {};
    }
}

QVariant ScheduleModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return scheduleColumnTitle(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

void ScheduleTotalsModel::setTotals(const ScheduleTotals &totals, const QLocale &locale)
{
    m_totals = totals;
    m_locale = locale;
    emit dataChanged(index(0, 0), index(0, ColCount - 1));
}

int ScheduleTotalsModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 1; }

int ScheduleTotalsModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColCount; }

QVariant ScheduleTotalsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    std::int64_t figure = 0;
    const bool money = scheduleTotal(m_totals, index.column(), &figure);
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == ColMonth)
            return totalsTitle();
        return money ? moneyText(figure, m_locale) : QString();
    case Qt::UserRole:
        return money ? QVariant(qlonglong(figure)) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == ColMonth ? Qt::AlignCenter : kNumber);
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    default:
        return {};
    }
}

} // namespace orvel
