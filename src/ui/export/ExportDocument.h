#pragma once
// What a window saves or prints, described once: a title, the inputs, one
// or more tables with a totals row, lines under them and the window's chart.
// The functions of ui/export/Export.h write it as a workbook (.xlsx), a CSV
// text, a PDF or printed pages, and its chart as a picture (.png).
#include <QColor>
#include <QDate>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

class QLocale;
class QPainter;
class QRectF;

namespace orvel {

// Money in whole kopecks: roubles with two decimals in every format.
struct Kopecks {
    std::int64_t value;
};
// Percentage points (7.5 is 7,5 %): "7,5 %" on paper, 7.5 in a "0.00 %"
// format in a workbook, "7,5" in a CSV text.
struct Percent {
    double points;
};

// One value: nothing, a text, a date, money, a percentage, a whole number
// (a month, days) or any other number (a rate: its shortest exact text).
using ExportCell = std::variant<std::monostate, QString, QDate, Kopecks, Percent, std::int64_t, double>;

// How a column is laid out (its cells carry their own values):
// Text and Formula (a calculation spelled out, given the room to wrap) to the
// left, dates and whole numbers centred, the other numbers to the right.
enum class ColumnKind { Text, Formula, Date, Money, Percent, Integer, Number };

struct ExportColumn {
    QString title{};
    ColumnKind kind = ColumnKind::Text;
    // The totals row holds this column's sum: a SUM formula (with the sum as
    // its value) in a workbook.
    bool summed = false;
    // A zero is left blank on paper, as the window shows it; files keep it.
    bool blankZeroOnPaper = false;
    // The widest text the column shows on paper ("00.00.0000"): when given,
    // the column gets its room there, and the columns without one share
    // what is left.
    QString paperSample{};
};

struct ExportRow {
    std::vector<ExportCell> cells{}; // one per column
    bool marked = false;           // shaded on paper (a month with an early repayment)
};

struct ExportTable {
    QString title{}; // a line over the table; may be empty
    std::vector<ExportColumn> columns{};
    std::vector<ExportRow> rows{};
    std::vector<ExportCell> totals{}; // the totals row, one cell per column; empty: none
};

// One line of the inputs: "label: value, value unit" on paper; in a
// workbook the label ("label, unit") in the first column and the values from
// the third on.
struct ExportInput {
    enum Where { Everywhere, OnPaper, InWorkbook };
    QString label{};
    std::vector<ExportCell> values{};
    QString unit{};             // "%", "мес."
    Where where = Everywhere;   // where the line is given
    bool heading = false;       // bold: the titles over a list of inputs
};

// A workbook's own chart over columns of a table, a row per point. This
// libxlsxwriter combines no charts and has no second axis: a figure of
// another scale gets a chart of its own.
struct WorkbookChart {
    enum Type { Columns, StackedColumns, Line };
    struct Series {
        int column = 0;
        QColor color{}; // none: the workbook's own
    };
    Type type = Line;
    QString title{};
    std::size_t table = 0;        // of the document's tables
    int categories = 0;           // the column along the axis
    QString axisTitle{};          // the name of that axis
    std::vector<Series> series{}; // named after their columns
};

// Draws the window's chart into a rectangle of a page or a picture.
using ChartPainter = std::function<void(QPainter &painter, const QRectF &target)>;

struct ExportDocument {
    QString title; // the first line, and the PDF's title
    QString name;  // short: the workbook's sheet (31 characters at most), the print job
    std::vector<ExportInput> inputs;
    std::vector<ExportTable> tables;
    QStringList notes; // lines under the tables (a summary)
    // On paper: the chart between the inputs and the tables. As a picture
    // (.png): drawn at chartSize, the size it has in the window.
    ChartPainter chart;
    QSize chartSize;
    std::vector<WorkbookChart> workbookCharts;
    // A CSV text gives the whole document: the inputs a workbook has (a line
    // each, "label;value;..."), an empty line, the tables, an empty line and
    // the lines under them. Otherwise only the tables.
    bool csvWhole = false;
};

// A cell as paper shows it, with the locale's decimal separator and digit
// grouping: "1 234,56", "7,5 %", "01.12.2026".
QString paperText(const ExportCell &cell, const QLocale &locale);
// A cell as a CSV text gives it to a spreadsheet: decimal comma, no grouping,
// no "%".
QString csvText(const ExportCell &cell);
// The paper line of an input: "Срок кредита: 12 мес.".
QString inputLine(const ExportInput &input, const QLocale &locale);

} // namespace orvel
