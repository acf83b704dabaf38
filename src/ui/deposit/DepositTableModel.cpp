#include "ui/deposit/DepositTableModel.h"

#include <QColor>
#include <QFont>

#include <cstdlib>
#include <type_traits>

namespace orvel {

namespace {

const QColor kMarkedRow(255, 244, 214); // a row worth noticing: a flow, an assumed key rate

bool sameCell(const ExportCell &a, const ExportCell &b)
{
    if (a.index() != b.index())
        return false;
    return std::visit(
        [&b](const auto &x) {
            using T = std::decay_t<decltype(x)>;
            const T &y = std::get<T>(b);
            if constexpr (std::is_same_v<T, std::monostate>)
                return true;
            else if constexpr (std::is_same_v<T, Kopecks>)
                return x.value == y.value;
            else if constexpr (std::is_same_v<T, Percent>)
                return x.points == y.points;
            else
                return x == y;
        },
        a);
}

bool sameRow(const ExportRow &a, const ExportRow &b)
{
    if (a.marked != b.marked || a.cells.size() != b.cells.size())
        return false;
    for (std::size_t c = 0; c < a.cells.size(); ++c)
        if (!sameCell(a.cells[c], b.cells[c]))
            return false;
    return true;
}

bool sameColumns(const std::vector<ExportColumn> &a, const std::vector<ExportColumn> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t c = 0; c < a.size(); ++c)
        if (a[c].title != b[c].title || a[c].kind != b[c].kind || a[c].blankZeroOnPaper != b[c].blankZeroOnPaper)
            return false;
    return true;
}

bool isZero(const ExportCell &cell)
{
    if (const auto *k = std::get_if<Kopecks>(&cell))
        return k->value == 0;
    if (const auto *n = std::get_if<std::int64_t>(&cell))
        return *n == 0;
    return false;
}

Qt::Alignment alignmentOf(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Text:
    case ColumnKind::Formula: return Qt::AlignLeft | Qt::AlignVCenter;
    case ColumnKind::Date:
    case ColumnKind::Integer: return Qt::AlignCenter;
    default: return Qt::AlignRight | Qt::AlignVCenter;
    }
}

QVariant figure(const ExportCell &cell)
{
    if (const auto *k = std::get_if<Kopecks>(&cell))
        return qlonglong(k->value);
    if (const auto *n = std::get_if<std::int64_t>(&cell))
        return qlonglong(*n);
    if (const auto *p = std::get_if<Percent>(&cell))
        return p->points;
    if (const auto *v = std::get_if<double>(&cell))
        return *v;
    if (const auto *d = std::get_if<QDate>(&cell))
        return *d;
    if (const auto *t = std::get_if<QString>(&cell))
        return *t;
    return {};
}

// A long title on two lines, broken after a "/" or at a space nearest its
// middle, so the columns need not be as wide as their titles.
QString headerText(const QString &title)
{
    if (title.size() <= 12)
        return title;
    int best = -1;
    for (int i = 1; i + 1 < title.size(); ++i)
        if ((title[i] == QLatin1Char(' ') || title[i - 1] == QLatin1Char('/'))
            && (best < 0 || std::abs(i - title.size() / 2) < std::abs(best - title.size() / 2)))
            best = i;
    if (best < 0)
        return title;
    QString text = title;
    if (text[best] == QLatin1Char(' '))
        text[best] = QLatin1Char('\n');
    else
        text.insert(best, QLatin1Char('\n'));
    return text;
}

} // namespace

DepositTableModel::DepositTableModel(Shows shows, QObject *parent) : QAbstractTableModel(parent), m_shows(shows) {}

void DepositTableModel::setTable(ExportTable table, const QLocale &locale)
{
    if (!sameColumns(m_table.columns, table.columns) || locale != m_locale) {
        beginResetModel();
        m_table = std::move(table);
        m_locale = locale;
        endResetModel();
        return;
    }
    if (m_shows == Totals) {
        const ExportRow before{std::move(m_table.totals)};
        m_table = std::move(table);
        if (!sameRow(before, ExportRow{m_table.totals}))
            emit dataChanged(index(0, 0), index(0, columnCount() - 1));
        return;
    }
    std::vector<ExportRow> before = std::move(m_table.rows);
    const int had = int(before.size()), has = int(table.rows.size());
    if (has < had) {
        beginRemoveRows(QModelIndex(), has, had - 1);
        m_table = std::move(table);
        endRemoveRows();
    } else if (has > had) {
        beginInsertRows(QModelIndex(), had, has - 1);
        m_table = std::move(table);
        endInsertRows();
    } else {
        m_table = std::move(table);
    }
    // The first to the last of the kept rows whose cells differ, as one change.
    int first = -1, last = -1;
    for (int r = 0; r < std::min(had, has); ++r) {
        if (sameRow(before[std::size_t(r)], m_table.rows[std::size_t(r)]))
            continue;
        if (first < 0)
            first = r;
        last = r;
    }
    if (first >= 0)
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

const std::vector<ExportCell> &DepositTableModel::cells(int row) const
{
    return m_shows == Totals ? m_table.totals : m_table.rows[std::size_t(row)].cells;
}

int DepositTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    if (m_shows == Totals)
        return m_table.columns.empty() ? 0 : 1; // blank until there are totals
    return int(m_table.rows.size());
}

int DepositTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.columns.size());
}

QVariant DepositTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const std::vector<ExportCell> &row = cells(index.row());
    if (std::size_t(index.column()) >= row.size())
        return {};
    const ExportCell &cell = row[std::size_t(index.column())];
    const ExportColumn &column = m_table.columns[std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        if (column.blankZeroOnPaper && m_shows == Rows && isZero(cell))
            return QString();
        return paperText(cell, m_locale);
    case Qt::UserRole: return figure(cell);
    case Qt::ToolTipRole:
        // A note the column is too narrow for is read whole in its tooltip.
        if (column.kind == ColumnKind::Text || column.kind == ColumnKind::Formula)
            return paperText(cell, m_locale);
        return {};
    case Qt::TextAlignmentRole: return QVariant::fromValue(alignmentOf(column.kind));
    case Qt::BackgroundRole:
        if (m_shows == Rows && m_table.rows[std::size_t(index.row())].marked)
            return kMarkedRow;
        return {};
    case Qt::FontRole:
        // The totals row's title in bold; its sums keep the width of the
        // column's figures, which is all the column has.
        if (m_shows == Totals && std::holds_alternative<QString>(cell)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default: return {};
    }
}

QVariant DepositTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return headerText(m_table.columns[std::size_t(section)].title);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

} // namespace orvel
