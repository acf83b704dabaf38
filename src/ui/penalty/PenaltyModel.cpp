#include "ui/penalty/PenaltyModel.h"

#include "calc/ScheduleReport.h"

#include <QColor>

namespace orvel {

namespace {

constexpr Qt::Alignment kNumber = Qt::AlignRight | Qt::AlignVCenter;

bool sameRow(const PenaltyRow &a, const PenaltyRow &b)
{
    return a.debt == b.debt && a.from == b.from && a.to == b.to && a.base == b.base && a.rate == b.rate
           && a.shareDenominator == b.shareDenominator && a.amount == b.amount && a.formula == b.formula;
}

Qt::Alignment alignment(int column)
{
    switch (column) {
    case PenColFormula: return Qt::AlignLeft | Qt::AlignVCenter;
    case PenColDebt:
    case PenColFrom:
    case PenColTo:
    case PenColShare: return Qt::AlignCenter;
    default: return kNumber;
    }
}

} // namespace

void PenaltyModel::setReport(const PenaltyReport &report, const QLocale &locale)
{
    const bool titles = report.terms.kind != m_kind;
    m_kind = report.terms.kind;
    m_locale = locale;
    const std::size_t n = report.result.rows.size();
    std::vector<Shown> shown(n);
    for (std::size_t i = 0; i < n; ++i)
        shown[i] = {report.debtNumbers.at(std::size_t(report.result.rows[i].debt)), penaltyCapRow(report, i)};
    replaceRows(report.result.rows, std::move(shown));
    if (titles)
        emit headerDataChanged(Qt::Horizontal, PenColAmount, PenColAmount);
}

void PenaltyModel::clear() { replaceRows({}, {}); }

void PenaltyModel::replaceRows(std::vector<PenaltyRow> rows, std::vector<Shown> shown)
{
    const int before = int(m_rows.size());
    const int after = int(rows.size());
    // The rows kept that differ: typing in one payment changes the rows
    // from its day on, and the others need no repainting.
    const int kept = std::min(before, after);
    int first = kept, last = -1;
    for (int i = 0; i < kept; ++i)
        if (!sameRow(m_rows[std::size_t(i)], rows[std::size_t(i)]) || !(m_shown[std::size_t(i)] == shown[std::size_t(i)])) {
            first = std::min(first, i);
            last = i;
        }
    if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        m_rows.resize(std::size_t(after));
        m_shown.resize(std::size_t(after));
        endRemoveRows();
    } else if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        m_rows.insert(m_rows.end(), rows.begin() + before, rows.end());
        m_shown.insert(m_shown.end(), shown.begin() + before, shown.end());
        endInsertRows();
    }
    if (last < 0)
        return;
    std::move(rows.begin() + first, rows.begin() + last + 1, m_rows.begin() + first);
    std::copy(shown.begin() + first, shown.begin() + last + 1, m_shown.begin() + first);
    emit dataChanged(index(first, 0), index(last, PenColCount - 1));
}

int PenaltyModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int PenaltyModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : PenColCount; }

QString PenaltyModel::text(const PenaltyRow &row, const Shown &shown, int column) const
{
    const auto date = [](const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); };
    switch (column) {
    case PenColDebt: return QString::number(shown.debtNumber);
    case PenColFrom: return date(row.from);
    case PenColTo: return date(row.to);
    case PenColDays: return m_locale.toString(row.days);
    case PenColBase: return moneyText(row.base, m_locale);
    case PenColRate: return m_locale.toString(row.rate, 'f', 2) + QStringLiteral(" %");
    case PenColShare: return penaltyShareText(row.shareDenominator);
    case PenColFormula: return row.formula;
    case PenColAmount: return moneyText(row.amount, m_locale);
    default: return QString();
    }
}

QVariant PenaltyModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const PenaltyRow &row = m_rows[std::size_t(index.row())];
    const Shown &shown = m_shown[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return text(row, shown, column);
    case Qt::UserRole:
        switch (column) {
        case PenColDebt: return shown.debtNumber;
        case PenColFrom: return row.from;
        case PenColTo: return row.to;
        case PenColDays: return row.days;
        case PenColBase: return qlonglong(row.base);
        case PenColRate: return row.rate;
        case PenColShare: return row.shareDenominator;
        case PenColFormula: return row.formula;
        case PenColAmount: return qlonglong(row.amount);
        default: return {};
        }
    case Qt::TextAlignmentRole: return QVariant::fromValue(alignment(column));
    case Qt::BackgroundRole:
        if (shown.cap)
            return QColor(255, 228, 214); // the tax penalties reached the debt here
        return {};
    case Qt::ToolTipRole:
        if (shown.cap)
            return QStringLiteral("Пени достигли суммы долга: дальше они не начисляются");
        if (column == PenColFormula)
            return row.formula; // whole, however narrow the column
        return {};
    default: return {};
    }
}

QVariant PenaltyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return penaltyColumnTitle(section, m_kind);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

} // namespace orvel
