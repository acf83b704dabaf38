#include "office/ColumnBatch.h"

#include "office/CalcSession.h"
#include "office/CellAddress.h"
#include "office/RefusedWrites.h"
#include "office/UnoHelpers.h"

#include <com/sun/star/sheet/XCellRangeFormula.hpp>

namespace orvel {

bool ColumnBatch::holdBack(CalcSession &office, const QString &address, const QString &text)
{
    int col = 0, row = 0;
    // The apostrophe rule needs the cell's own text call.
    if (text.startsWith(QLatin1Char('\'')) || !singleCell(address, col, row))
        return false;
    const Cell last = m_column.texts.isEmpty()
                          ? m_lastText
                          : Cell{m_column.col, m_column.firstRow + int(m_column.texts.size()) - 1};
    if (col != last.col || row != last.row + 1)
        return false;
    if (m_column.texts.isEmpty()) {
        office.replacements.flush(office);
        m_column.col = col;
        m_column.firstRow = row;
    }
    m_column.texts << text;
    return true;
}

void ColumnBatch::flush(CalcSession &office)
{
    if (m_column.texts.isEmpty())
        return;
    const Column p = std::move(m_column);
    m_column = Column();
    const int lastRow = p.firstRow + int(p.texts.size()) - 1;
    try {
        if (p.texts.size() > 1) {
            refuseIfAsked(p.col, p.firstRow, p.col, lastRow);
            Reference<css::sheet::XCellRangeFormula> range(
                office.cells()->getCellRangeByPosition(p.col, p.firstRow, p.col, lastRow), UNO_QUERY_THROW);
            Sequence<Sequence<OUString>> rows(sal_Int32(p.texts.size()));
            for (int i = 0; i < p.texts.size(); ++i) {
                const OUString text = ou(p.texts[i]);
                rows[i] = Sequence<OUString>(&text, 1);
            }
            range->setFormulaArray(rows);
            m_lastText = {p.col, lastRow};
            return;
        }
    } catch (const css::uno::Exception &) {
        // The office may refuse the whole column (a protected sheet)
        // where it takes the cells one by one: they go one by one, and
        // the first that fails is the one reported.
    }
    for (int i = 0; i < p.texts.size(); ++i) {
        const int row = p.firstRow + i;
        office.guarded(CalcSession::cannotWrite(cellName(p.col, row)), [&] {
            refuseIfAsked(p.col, row, p.col, row);
            typeInto(office.cells()->getCellByPosition(p.col, row), p.texts[i]);
        });
        m_lastText = {p.col, row};
    }
}

} // namespace orvel
