#pragma once
// The table model of the penalties window: one row per run of days of a
// debt with the same base, rate and share.
#include "ui/penalty/PenaltyReport.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <vector>

namespace orvel {

// Money shows as moneyText(), the rate with two decimals, dates as
// dd.MM.yyyy. Qt::UserRole gives the figure itself: the debt's number, the
// dates (QDate), the days, kopecks (qlonglong), the rate (double), the share's
// denominator, the formula. The row where the tax penalties reach the debt is
// tinted and says so in its tooltip.
class PenaltyModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the rows. Rows that stay keep their place in the view (the
    // view is not reset), and only the rows that differ are repainted.
    void setReport(const PenaltyReport &report, const QLocale &locale = QLocale());
    void clear();
    const std::vector<PenaltyRow> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // What one row shows, beside the engine's row.
    struct Shown {
        int debtNumber = 0;
        bool cap = false;
        bool operator==(const Shown &o) const { return debtNumber == o.debtNumber && cap == o.cap; }
    };
    void replaceRows(std::vector<PenaltyRow> rows, std::vector<Shown> shown);
    QString text(const PenaltyRow &row, const Shown &shown, int column) const;

    std::vector<PenaltyRow> m_rows;
    std::vector<Shown> m_shown;
    PenaltyKind m_kind = PenaltyKind::TaxPerson;
    QLocale m_locale;
};

} // namespace orvel
