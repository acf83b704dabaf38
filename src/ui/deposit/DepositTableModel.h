#pragma once
// A table of the export machinery (ExportTable) as a Qt model, for the
// deposit window's schedule, its totals row and its tax table: the window
// shows the very cells that are saved and printed, as paper shows them.
//
// Qt::DisplayRole gives the paper text (a zero left blank where the column
// says so); Qt::UserRole the figure itself: kopecks or a whole number as a
// qlonglong, a percentage as a double, a date as a QDate, a text as it is.
// Marked rows are tinted, a totals row's title is bold; a text cell's tooltip is the whole text; titles
// longer than a dozen characters take two lines.
#include "ui/export/ExportDocument.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <vector>

namespace orvel {

class DepositTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Shows { Rows, Totals };
    explicit DepositTableModel(Shows shows, QObject *parent = nullptr);

    // Shows the table's rows (Rows) or its totals row (Totals). Rows that
    // stay keep their place in the view, and only the rows whose cells
    // changed are reported as changed, so a key typed into a flow repaints
    // the rows after that flow, not the whole table.
    void setTable(ExportTable table, const QLocale &locale = QLocale());
    const ExportTable &table() const { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const std::vector<ExportCell> &cells(int row) const;

    Shows m_shows;
    ExportTable m_table;
    QLocale m_locale;
};

} // namespace orvel
