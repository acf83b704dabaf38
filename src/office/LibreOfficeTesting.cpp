#include "office/LibreOfficeTesting.h"

#include "office/CalcSession.h"
#include "office/CellAddress.h"
#include "office/UnoHelpers.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XReplaceDescriptor.hpp>
#include <com/sun/star/util/XReplaceable.hpp>

namespace orvel {

CalcSession &testedSession(const LibreOfficeCalc &calc) { return *calc.d; }

CellKind cellKind(LibreOfficeCalc &calc, const QString &cell)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell), [&] {
        switch (d.range(cell)->getCellByPosition(0, 0)->getType()) {
        case css::table::CellContentType_VALUE:
            return CellKind::Value;
        case css::table::CellContentType_TEXT:
            return CellKind::Text;
        case css::table::CellContentType_FORMULA:
            return CellKind::Formula;
        default:
            return CellKind::Empty;
        }
    });
}

QString cellFormula(LibreOfficeCalc &calc, const QString &cell)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell),
                  [&] { return qs(d.range(cell)->getCellByPosition(0, 0)->getFormula()); });
}

QString cellString(LibreOfficeCalc &calc, const QString &cell)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell), [&] {
        Reference<css::text::XText> text(d.range(cell)->getCellByPosition(0, 0), UNO_QUERY_THROW);
        return qs(text->getString());
    });
}

double cellValue(LibreOfficeCalc &calc, const QString &cell)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell),
                  [&] { return d.range(cell)->getCellByPosition(0, 0)->getValue(); });
}

bool isMerged(LibreOfficeCalc &calc, const QString &range)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the range \"%1\"").arg(range), [&] {
        Reference<css::util::XMergeable> merge(d.range(range), UNO_QUERY_THROW);
        return bool(merge->getIsMerged());
    });
}

bool isWrapped(LibreOfficeCalc &calc, const QString &cell)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell), [&] {
        Reference<css::beans::XPropertySet> props(d.range(cell), UNO_QUERY_THROW);
        bool wrapped = false;
        props->getPropertyValue(OUString("IsTextWrapped")) >>= wrapped;
        return wrapped;
    });
}

QStringList findCells(LibreOfficeCalc &calc, const QString &range, const QString &text)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot search the range \"%1\"").arg(range), [&] {
        QStringList cells;
        Reference<css::util::XReplaceable> searchable(d.range(range), UNO_QUERY_THROW);
        Reference<css::util::XReplaceDescriptor> search = searchable->createReplaceDescriptor();
        search->setSearchString(ou(text));
        Reference<css::container::XIndexAccess> found =
            searchable->findAll(Reference<css::util::XSearchDescriptor>(search, UNO_QUERY_THROW));
        for (sal_Int32 i = 0; found.is() && i < found->getCount(); ++i) {
            Reference<css::table::XCellRange> part(found->getByIndex(i), UNO_QUERY_THROW);
            forEachCell(part, [&](const Reference<css::table::XCell> &, int col, int row) {
                cells << cellName(col, row);
            });
        }
        return cells;
    });
}

QVector<CellContent> cellContents(LibreOfficeCalc &calc, const QString &range)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the range \"%1\"").arg(range), [&] {
        const Reference<css::table::XCellRange> r = d.range(range);
        const css::table::CellRangeAddress a =
            Reference<css::sheet::XCellRangeAddressable>(r, UNO_QUERY_THROW)->getRangeAddress();
        const int columns = a.EndColumn - a.StartColumn + 1;
        QVector<CellContent> cells((a.EndRow - a.StartRow + 1) * columns);
        const Sequence<Sequence<OUString>> formulas =
            Reference<css::sheet::XCellRangeFormula>(r, UNO_QUERY_THROW)->getFormulaArray();
        for (int row = 0; row < formulas.getLength(); ++row)
            for (int col = 0; col < formulas[row].getLength(); ++col)
                cells[row * columns + col].formula = qs(formulas[row][col]);
        Reference<css::sheet::XCellRangesQuery> query(r, UNO_QUERY_THROW);
        const std::pair<sal_Int16, CellKind> kinds[] = {
            {css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME, CellKind::Value},
            {css::sheet::CellFlags::STRING, CellKind::Text},
            {css::sheet::CellFlags::FORMULA, CellKind::Formula},
        };
        for (const auto &kind : kinds) {
            Reference<css::sheet::XSheetCellRanges> found = query->queryContentCells(kind.first);
            for (const css::table::CellRangeAddress &part : found->getRangeAddresses())
                for (sal_Int32 row = part.StartRow; row <= part.EndRow; ++row)
                    for (sal_Int32 col = part.StartColumn; col <= part.EndColumn; ++col)
                        cells[(row - a.StartRow) * columns + (col - a.StartColumn)].kind = kind.second;
        }
        return cells;
    });
}

QString activeSheetName(LibreOfficeCalc &calc)
{
    CalcSession &d = testedSession(calc);
    return d.call(QStringLiteral("Cannot read the active sheet"), [&] {
        Reference<css::container::XNamed> named(d.activeSheet(), UNO_QUERY_THROW);
        return qs(named->getName());
    });
}

void setOnePassReplace(LibreOfficeCalc &calc, bool onePass) { testedSession(calc).replacements.setOnePass(onePass); }

ReplaceCounts replaceCounts(const LibreOfficeCalc &calc)
{
    const ReplaceBatch &batch = testedSession(calc).replacements;
    ReplaceCounts counts;
    counts.onePass = batch.onePassCalls();
    counts.eachCall = batch.eachCalls();
    return counts;
}

long long processId(const LibreOfficeCalc &calc) { return testedSession(calc).pid; }

} // namespace orvel
