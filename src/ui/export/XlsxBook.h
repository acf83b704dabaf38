#pragma once
// A document as a workbook of one sheet, written into a file by
// libxlsxwriter: the title, the inputs, the tables (numbers as numbers in
// their formats, column sums as SUM formulas with their values), the lines
// under them and the workbook's own charts beside the tables.
#include "ui/export/ExportDocument.h"

#include <QByteArray>

#include <map>
#include <utility>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace orvel {

class XlsxBook {
public:
    // Throws OrvelError when the workbook cannot be started.
    explicit XlsxBook(const QString &path);
    // Writes the file whatever happened; only close() reports the outcome.
    ~XlsxBook();
    XlsxBook(const XlsxBook &) = delete;
    XlsxBook &operator=(const XlsxBook &) = delete;

    // Every call that fails throws OrvelError.
    void write(const ExportDocument &document);
    void close();

private:
    enum class Role { Body, Total, Heading };
    lxw_format *format(ColumnKind kind, Role role);
    lxw_format *cellFormat(const ExportCell &cell, bool heading);
    void cell(int row, int col, const ExportCell &value, lxw_format *format);
    int writeInputs(const std::vector<ExportInput> &inputs, int row);
    // Returns the row after the table and the blank row under it.
    int writeTable(const ExportTable &table, int row, int *firstRow);
    void writeTotals(const ExportTable &table, int row, int first, int last);
    void setColumnWidths(const std::vector<ExportTable> &tables);
    void addChart(const WorkbookChart &chart, const ExportDocument &document, int anchorRow, int anchorCol);

    QByteArray m_path;
    lxw_workbook *m_book;
    lxw_worksheet *m_sheet = nullptr;
    QByteArray m_sheetName;
    lxw_format *m_title = nullptr, *m_head = nullptr;
    std::map<std::pair<ColumnKind, Role>, lxw_format *> m_formats;
    std::vector<std::pair<int, int>> m_dataRows; // per table: its first and last row
};

} // namespace orvel
