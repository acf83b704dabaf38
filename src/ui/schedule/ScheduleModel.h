#pragma once
// Table models of the payment schedule window: one row per month, and the
// totals row under it.
#include "calc/ScheduleReport.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <vector>

namespace orvel {

// The schedule's months. Money shows as moneyText(); Qt::UserRole gives the
// figure itself (kopecks, or the month number) as a qlonglong. Rows with an
// early repayment are tinted.
class ScheduleModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the rows. Rows that stay keep their place in the view (the
    // view is not reset), so scrolling and selection survive a change.
    void setRows(const std::vector<ScheduleRow> &rows, const QLocale &locale = QLocale());
    const std::vector<ScheduleRow> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<ScheduleRow> m_rows;
    QLocale m_locale;
};

// One row: "Итого" under the month column, the sums of the interest,
// principal, payment and early columns, nothing under the debt columns.
class ScheduleTotalsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTotals(const ScheduleTotals &totals, const QLocale &locale = QLocale());

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    ScheduleTotals m_totals;
    QLocale m_locale;
};

} // namespace orvel
