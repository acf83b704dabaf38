#include "ui/export/XlsxBook.h"

#include "calc/OrvelError.h"

#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace orvel {

namespace {

OrvelError bookError(const QString &reason)
{
    return OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: %1").arg(reason));
}

// Every call of libxlsxwriter that can fail goes through this.
void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw bookError(QString::fromUtf8(lxw_strerror(error)));
}

template <typename T>
T *made(T *object)
{
    if (!object)
        throw bookError(QStringLiteral("нет памяти"));
    return object;
}

// A number as a workbook holds it (money in roubles).
bool numberOf(const ExportCell &cell, double *value)
{
    if (const auto *k = std::get_if<Kopecks>(&cell))
        *value = double(k->value) / 100.0;
    else if (const auto *p = std::get_if<Percent>(&cell))
        *value = p->points;
    else if (const auto *n = std::get_if<std::int64_t>(&cell))
        *value = double(*n);
    else if (const auto *d = std::get_if<double>(&cell))
        *value = *d;
    else
        return false;
    return true;
}

ColumnKind kindOf(const ExportCell &cell)
{
    if (std::holds_alternative<QDate>(cell))
        return ColumnKind::Date;
    if (std::holds_alternative<Kopecks>(cell))
        return ColumnKind::Money;
    if (std::holds_alternative<Percent>(cell))
        return ColumnKind::Percent;
    return ColumnKind::Text; // whole and other numbers in the general format
}

double columnWidth(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Integer: return 8;
    case ColumnKind::Date: return 12;
    case ColumnKind::Percent: return 10;
    case ColumnKind::Number: return 14;
    case ColumnKind::Formula: return 40;
    case ColumnKind::Money:
    case ColumnKind::Text: break;
    }
    return 17;
}

// A column's letters (A, B, ..., AA).
QString columnName(int column)
{
    char name[LXW_MAX_COL_NAME_LENGTH];
    lxw_col_to_name(name, lxw_col_t(column), LXW_FALSE);
    return QString::fromLatin1(name);
}

} // namespace

XlsxBook::XlsxBook(const QString &path)
    : m_path(QFile::encodeName(path)), m_book(made(workbook_new(m_path.constData())))
{
}

XlsxBook::~XlsxBook()
{
    if (m_book)
        workbook_close(m_book);
}

void XlsxBook::close()
{
    lxw_workbook *book = m_book;
    m_book = nullptr;
    check(workbook_close(book));
}

lxw_format *XlsxBook::format(ColumnKind kind, Role role)
{
    // No two formats alike (see cellFormat), and none for plain cells.
    if (kind == ColumnKind::Number)
        kind = ColumnKind::Text;
    if (kind == ColumnKind::Text && role == Role::Body)
        return nullptr;
    lxw_format *&f = m_formats[{kind, role}];
    if (f)
        return f;
    f = made(workbook_add_format(m_book));
    switch (kind) {
    case ColumnKind::Money: format_set_num_format(f, "#,##0.00"); break;
    case ColumnKind::Percent: format_set_num_format(f, "0.00\" %\""); break;
    case ColumnKind::Date: format_set_num_format(f, "dd.mm.yyyy"); break;
    default: break;
    }
    if (role == Role::Body || role == Role::Total) {
        if (kind == ColumnKind::Integer || kind == ColumnKind::Date)
            format_set_align(f, LXW_ALIGN_CENTER);
        if (kind == ColumnKind::Formula) {
            format_set_text_wrap(f);
            format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        }
    }
    if (role == Role::Total) {
        format_set_bold(f);
        format_set_top(f, LXW_BORDER_THIN);
    }
    if (role == Role::Heading)
        format_set_bold(f);
    return f;
}

// An input's format: its number format, bold in a heading. The body's own
// formats serve: libxlsxwriter finds the index of a format that duplicates
// another by hashing it again at every cell.
lxw_format *XlsxBook::cellFormat(const ExportCell &cell, bool heading)
{
    const ColumnKind kind = kindOf(cell);
    if (heading)
        return format(kind, Role::Heading);
    return kind == ColumnKind::Text ? nullptr : format(kind, Role::Body);
}

void XlsxBook::cell(int row, int col, const ExportCell &value, lxw_format *f)
{
    const lxw_row_t r = lxw_row_t(row);
    const lxw_col_t c = lxw_col_t(col);
    double number = 0;
    if (const auto *text = std::get_if<QString>(&value)) {
        check(worksheet_write_string(m_sheet, r, c, text->toUtf8().constData(), f));
    } else if (const auto *date = std::get_if<QDate>(&value)) {
        lxw_datetime when = {date->year(), date->month(), date->day(), 0, 0, 0};
        check(worksheet_write_datetime(m_sheet, r, c, &when, f));
    } else if (numberOf(value, &number)) {
        check(worksheet_write_number(m_sheet, r, c, number, f));
    } else if (f) {
        check(worksheet_write_blank(m_sheet, r, c, f));
    }
}

void XlsxBook::write(const ExportDocument &document)
{
    m_sheetName = document.name.left(LXW_SHEETNAME_MAX).toUtf8();
    m_sheet = made(workbook_add_worksheet(m_book, m_sheetName.constData()));
    m_title = made(workbook_add_format(m_book));
    format_set_bold(m_title);
    format_set_font_size(m_title, 14);
    m_head = made(workbook_add_format(m_book));
    format_set_bold(m_head);
    format_set_text_wrap(m_head);
    format_set_align(m_head, LXW_ALIGN_CENTER);
    format_set_align(m_head, LXW_ALIGN_VERTICAL_CENTER);
    format_set_bg_color(m_head, 0xDEE4EC);
    format_set_bottom(m_head, LXW_BORDER_THIN);
    setColumnWidths(document.tables);

    check(worksheet_write_string(m_sheet, 0, 0, document.title.toUtf8().constData(), m_title));
    int row = writeInputs(document.inputs, 1) + 1;
    int firstHeader = -1;
    for (const ExportTable &table : document.tables) {
        int first = 0;
        row = writeTable(table, row, &first);
        if (firstHeader < 0)
            firstHeader = first - 1;
    }
    for (const QString &line : document.notes)
        cell(row++, 0, line, nullptr);
    // One table keeps its header in view; with more, which one would be wrong.
    if (document.tables.size() == 1)
        worksheet_freeze_panes(m_sheet, lxw_row_t(firstHeader + 1), 0);

    std::size_t columns = 0;
    for (const ExportTable &table : document.tables)
        columns = std::max(columns, table.columns.size());
    int anchor = std::max(firstHeader, 0);
    for (const WorkbookChart &chart : document.workbookCharts) {
        if (chart.table >= document.tables.size() || document.tables[chart.table].rows.empty())
            continue;
        addChart(chart, document, anchor, int(columns) + 2);
        anchor += 25;
    }
}

int XlsxBook::writeInputs(const std::vector<ExportInput> &inputs, int row)
{
    for (const ExportInput &input : inputs) {
        if (input.where == ExportInput::OnPaper)
            continue;
        const QString label = input.unit.isEmpty() ? input.label : input.label + QStringLiteral(", ") + input.unit;
        cell(row, 0, label, cellFormat(label, input.heading));
        for (std::size_t i = 0; i < input.values.size(); ++i)
            cell(row, 2 + int(i), input.values[i], cellFormat(input.values[i], input.heading));
        ++row;
    }
    return row;
}

int XlsxBook::writeTable(const ExportTable &table, int row, int *firstRow)
{
    if (!table.title.isEmpty())
        cell(row++, 0, table.title, format(ColumnKind::Text, Role::Heading));
    check(worksheet_set_row(m_sheet, lxw_row_t(row), 30, nullptr));
    for (std::size_t c = 0; c < table.columns.size(); ++c)
        cell(row, int(c), table.columns[c].title, m_head);
    std::vector<lxw_format *> formats;
    for (const ExportColumn &column : table.columns)
        formats.push_back(format(column.kind, Role::Body));
    const int first = row + 1;
    row = first;
    for (const ExportRow &r : table.rows) {
        for (std::size_t c = 0; c < r.cells.size() && c < formats.size(); ++c)
            cell(row, int(c), r.cells[c], formats[c]);
        ++row;
    }
    const int last = row - 1;
    m_dataRows.emplace_back(first, last);
    *firstRow = first;
    if (!table.totals.empty())
        writeTotals(table, row++, first, last);
    return row + 1;
}

void XlsxBook::writeTotals(const ExportTable &table, int row, int first, int last)
{
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const ExportColumn &column = table.columns[c];
        const ExportCell total = c < table.totals.size() ? table.totals[c] : ExportCell();
        lxw_format *f = format(column.kind, Role::Total);
        double value = 0;
        if (column.summed && numberOf(total, &value)) {
            const QString name = columnName(int(c));
            const QString sum = QStringLiteral("=SUM(%1%2:%1%3)").arg(name).arg(first + 1).arg(last + 1);
            check(worksheet_write_formula_num(m_sheet, lxw_row_t(row), lxw_col_t(c), sum.toUtf8().constData(), f,
                                              value));
        } else {
            cell(row, int(c), total, f);
        }
    }
}

void XlsxBook::setColumnWidths(const std::vector<ExportTable> &tables)
{
    std::vector<double> widths;
    for (const ExportTable &table : tables)
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            if (widths.size() <= c)
                widths.resize(c + 1, 0);
            widths[c] = std::max(widths[c], columnWidth(table.columns[c].kind));
        }
    // Runs of one width are set together; a narrow column keeps the charts
    // apart from the tables.
    for (std::size_t c = 0; c < widths.size();) {
        std::size_t end = c;
        while (end + 1 < widths.size() && widths[end + 1] == widths[c])
            ++end;
        check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(end), widths[c], nullptr));
        c = end + 1;
    }
    const lxw_col_t gap = lxw_col_t(widths.size() + 1);
    check(worksheet_set_column(m_sheet, gap, gap, 2, nullptr));
}

void XlsxBook::addChart(const WorkbookChart &spec, const ExportDocument &document, int anchorRow, int anchorCol)
{
    const ExportTable &table = document.tables[spec.table];
    const auto [first, last] = m_dataRows[spec.table];
    const std::uint8_t type = spec.type == WorkbookChart::Line      ? LXW_CHART_LINE
                              : spec.type == WorkbookChart::Columns ? LXW_CHART_COLUMN
                                                                    : LXW_CHART_COLUMN_STACKED;
    lxw_chart *chart = made(workbook_add_chart(m_book, type));
    chart_title_set_name(chart, spec.title.toUtf8().constData());
    for (const WorkbookChart::Series &s : spec.series) {
        lxw_chart_series *series = made(chart_add_series(chart, nullptr, nullptr));
        chart_series_set_categories(series, m_sheetName.constData(), lxw_row_t(first), lxw_col_t(spec.categories),
                                    lxw_row_t(last), lxw_col_t(spec.categories));
        chart_series_set_values(series, m_sheetName.constData(), lxw_row_t(first), lxw_col_t(s.column),
                                lxw_row_t(last), lxw_col_t(s.column));
        chart_series_set_name(series, table.columns[std::size_t(s.column)].title.toUtf8().constData());
        if (s.color.isValid()) {
            const lxw_color_t rgb = s.color.rgb() & 0xFFFFFF;
            lxw_chart_fill fill = {rgb, 0, 0};
            lxw_chart_line line = {rgb, 0, 0, 0, 0};
            if (spec.type == WorkbookChart::Line)
                chart_series_set_line(series, &line);
            else
                chart_series_set_fill(series, &fill);
        }
    }
    if (spec.type != WorkbookChart::Line)
        chart_set_series_gap(chart, 20);
    if (!spec.axisTitle.isEmpty())
        chart_axis_set_name(chart_axis_get(chart, LXW_CHART_AXIS_TYPE_X), spec.axisTitle.toUtf8().constData());
    if (!spec.series.empty() && table.columns[std::size_t(spec.series.front().column)].kind == ColumnKind::Money)
        chart_axis_set_num_format(chart_axis_get(chart, LXW_CHART_AXIS_TYPE_Y), "#,##0");
    chart_legend_set_position(chart, spec.series.size() > 1 ? LXW_CHART_LEGEND_BOTTOM : LXW_CHART_LEGEND_NONE);
    lxw_chart_options at = {};
    at.x_scale = 2.2;
    at.y_scale = 1.6;
    check(worksheet_insert_chart_opt(m_sheet, lxw_row_t(anchorRow), lxw_col_t(anchorCol), chart, &at));
}

} // namespace orvel
