#include "office/ReplaceBatch.h"

#include "office/CalcSession.h"
#include "office/RefusedWrites.h"
#include "office/UnoHelpers.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XReplaceDescriptor.hpp>
#include <com/sun/star/util/XReplaceable.hpp>

namespace orvel {

void ReplaceBatch::add(CalcSession &office, const QString &range, const QString &what, const QString &replacement)
{
    if (!m_pending.list.isEmpty() && m_pending.range != range)
        flush(office);
    if (m_pending.list.isEmpty()) {
        m_pending.cells = office.range(range);
        m_pending.address =
            Reference<css::sheet::XCellRangeAddressable>(m_pending.cells, UNO_QUERY_THROW)->getRangeAddress();
        m_pending.range = range;
    }
    m_pending.list << Replacement(what, replacement);
}

void ReplaceBatch::clear() { m_pending = Pending(); }

void ReplaceBatch::flush(CalcSession &office)
{
    if (m_pending.list.isEmpty())
        return;
    const Pending r = std::move(m_pending);
    m_pending = Pending();
    if (m_onePass) {
        try {
            if (replaceInOnePass(office, r)) {
                m_onePassCalls += int(r.list.size());
                return;
            }
        } catch (const css::uno::Exception &) {
            // Written in part or not at all: the calls one by one do
            // what is left (the plan makes sure they find nothing in the
            // cells already written).
        } catch (const OrvelError &) {
        }
    }
    m_eachCalls += int(r.list.size());
    for (const Replacement &one : r.list) {
        try {
            office.guarded(QString(), [&] { replaceEach(r.cells, one.first, one.second); });
        } catch (const OrvelError &) {
            // As for a Replace call of its own: the placeholder stays.
        }
    }
}

// The cells of the range: kinds, texts and comments, in five calls.
QVector<PlaceholderCell> ReplaceBatch::readForReplacing(const Pending &r)
{
    const css::table::CellRangeAddress &a = r.address;
    const int columns = a.EndColumn - a.StartColumn + 1;
    const int rows = a.EndRow - a.StartRow + 1;
    QVector<PlaceholderCell> cells(rows * columns);
    const Sequence<Sequence<OUString>> formulas =
        Reference<css::sheet::XCellRangeFormula>(r.cells, UNO_QUERY_THROW)->getFormulaArray();
    Reference<css::sheet::XCellRangesQuery> query(r.cells, UNO_QUERY_THROW);
    auto mark = [&](sal_Int16 flags, const std::function<void(PlaceholderCell &)> &f) {
        Reference<css::sheet::XSheetCellRanges> found = query->queryContentCells(flags);
        if (!found.is())
            return;
        for (const css::table::CellRangeAddress &part : found->getRangeAddresses())
            for (sal_Int32 row = part.StartRow; row <= part.EndRow; ++row)
                for (sal_Int32 col = part.StartColumn; col <= part.EndColumn; ++col)
                    f(cells[(row - a.StartRow) * columns + (col - a.StartColumn)]);
    };
    for (int row = 0; row < rows && row < formulas.getLength(); ++row)
        for (int col = 0; col < columns && col < formulas[row].getLength(); ++col) {
            PlaceholderCell &c = cells[row * columns + col];
            c.text = qs(formulas[row][col]);
            c.kind = c.text.isEmpty() ? PlaceholderCell::Empty : PlaceholderCell::Other;
        }
    mark(css::sheet::CellFlags::STRING, [](PlaceholderCell &c) {
        // The input text of a text that would read as a number, or that
        // starts with an apostrophe, has one in front.
        c.kind = PlaceholderCell::Text;
        if (c.text.startsWith(QLatin1Char('\'')))
            c.text.remove(0, 1);
    });
    mark(css::sheet::CellFlags::ANNOTATION, [](PlaceholderCell &c) { c.note = true; });
    return cells;
}

// False when the pass can't promise the result of the calls one by one.
bool ReplaceBatch::replaceInOnePass(CalcSession &office, const Pending &r)
{
    const css::table::CellRangeAddress &a = r.address;
    const PlaceholderPlan plan = planPlaceholderPass(readForReplacing(r), a.EndColumn - a.StartColumn + 1, r.list);
    if (!plan.onePass)
        return false;
    for (const PlaceholderRun &run : plan.runs) {
        const int col = a.StartColumn + run.firstColumn, row = a.StartRow + run.row;
        const int last = col + int(run.inputs.size()) - 1;
        refuseIfAsked(col, row, last, row);
        Reference<css::sheet::XCellRangeFormula> part(office.cells()->getCellRangeByPosition(col, row, last, row),
                                                      UNO_QUERY_THROW);
        Sequence<OUString> inputs(sal_Int32(run.inputs.size()));
        for (int i = 0; i < run.inputs.size(); ++i)
            inputs[i] = ou(run.inputs[i]);
        part->setFormulaArray(Sequence<Sequence<OUString>>(&inputs, 1));
    }
    for (const PlaceholderCellWrite &w : plan.single) {
        refuseIfAsked(a.StartColumn + w.column, a.StartRow + w.row, a.StartColumn + w.column, a.StartRow + w.row);
        typeInto(office.cells()->getCellByPosition(a.StartColumn + w.column, a.StartRow + w.row), w.text);
    }
    return true;
}

// One Replace call: the office finds the cells, and the replaced text of
// each is typed into it again, so it follows the same rules as a text
// assigned to a cell (the office's own replace would keep a leading
// apostrophe).
void ReplaceBatch::replaceEach(const Reference<css::table::XCellRange> &range, const QString &what,
                               const QString &replacement)
{
    Reference<css::util::XReplaceable> replaceable(range, UNO_QUERY_THROW);
    Reference<css::util::XReplaceDescriptor> search = replaceable->createReplaceDescriptor();
    search->setSearchString(ou(what));
    Reference<css::beans::XPropertySet> options(search, UNO_QUERY_THROW);
    options->setPropertyValue(OUString("SearchCaseSensitive"), Any(false));
    options->setPropertyValue(OUString("SearchRegularExpression"), Any(false));
    options->setPropertyValue(OUString("SearchWords"), Any(false));
    Reference<css::container::XIndexAccess> found =
        replaceable->findAll(Reference<css::util::XSearchDescriptor>(search, UNO_QUERY_THROW));
    if (!found.is())
        return;
    for (sal_Int32 i = 0; i < found->getCount(); ++i) {
        Reference<css::table::XCellRange> part(found->getByIndex(i), UNO_QUERY_THROW);
        forEachCell(part, [&](const Reference<css::table::XCell> &cell, int col, int row) {
            const bool text = cell->getType() == css::table::CellContentType_TEXT;
            const QString before = text ? qs(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString())
                                        : qs(cell->getFormula());
            QString after = before;
            after.replace(what, replacement, Qt::CaseInsensitive);
            if (after != before) {
                refuseIfAsked(col, row, col, row);
                typeInto(cell, after);
            }
        });
    }
}

} // namespace orvel
