// LibreOffice Calc driven over UNO: one private headless office per
// application object (see CalcSession), one method per member path.
#include "office/LibreOfficeCalc.h"

#include "office/CalcSession.h"
#include "office/CellAddress.h"
#include "office/RefusedWrites.h"
#include "office/UnoHelpers.h"

#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

namespace orvel {

LibreOfficeCalc::LibreOfficeCalc(std::unique_ptr<CalcSession> session) : d(std::move(session)) {}

LibreOfficeCalc::~LibreOfficeCalc()
{
    try {
        d->shutDown();
    } catch (...) {
        // Nothing may leave a destructor; the process is gone either way.
    }
}

std::unique_ptr<LibreOfficeCalc> LibreOfficeCalc::start()
{
    std::unique_ptr<LibreOfficeCalc> app(new LibreOfficeCalc(CalcSession::prepare()));
    app->d->launch(nullptr);
    return app;
}

void LibreOfficeCalc::setQuitHook(std::function<void()> hook) { m_quitHook = std::move(hook); }

void LibreOfficeCalc::workbooksOpen(const QString &path)
{
    d->call(QStringLiteral("Cannot open the workbook \"%1\"").arg(path), [&] {
        if (!QFileInfo::exists(path))
            throw OrvelError(QStringLiteral("The file \"%1\" could not be found").arg(path));
        Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> options = props({
            prop("Hidden", Any(true)),
            prop("MacroExecutionMode", Any(sal_Int16(0))), // never run macros of the file
        });
        Reference<css::frame::XModel> model(
            loader->loadComponentFromURL(ou(fileUrl(path)), OUString("_blank"), 0, options), UNO_QUERY);
        if (!model.is() || !Reference<css::sheet::XSpreadsheetDocument>(model, UNO_QUERY).is())
            throw OrvelError(QStringLiteral("Cannot open the workbook \"%1\"").arg(path));
        d->workbooks.push_back(model);
        d->sheetChanged();
    });
}

void LibreOfficeCalc::workbooksAdd()
{
    d->call(QStringLiteral("Cannot create a new workbook"), [&] {
        Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> options = props({prop("Hidden", Any(true))});
        Reference<css::frame::XModel> model(
            loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0, options), UNO_QUERY_THROW);
        d->workbooks.push_back(model);
        d->sheetChanged();
    });
}

void LibreOfficeCalc::activateSheet(const QString &name)
{
    d->call(QStringLiteral("Cannot activate the sheet \"%1\"").arg(name), [&] {
        Reference<css::sheet::XSpreadsheetDocument> doc(d->active(), UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        // Sheet names match regardless of case, as a spreadsheet user expects.
        OUString found;
        for (const OUString &n : sheets->getElementNames())
            if (qs(n).compare(name, Qt::CaseInsensitive) == 0) {
                found = n;
                break;
            }
        if (found.isEmpty())
            throw OrvelError(QStringLiteral("Invalid index"));
        Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(found), UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheetView> view(d->active()->getCurrentController(), UNO_QUERY_THROW);
        d->sheetChanged();
        view->setActiveSheet(sheet);
    });
}

void LibreOfficeCalc::rangeReplace(const QString &range, const QString &what, const QString &replacement)
{
    d->call(QStringLiteral("Cannot replace in the range \"%1\"").arg(range), [&] {
        if (what.isEmpty())
            return;
        // Waits for the next other call, with the replacements in the same
        // range before it (see ReplaceBatch).
        d->replacements.add(*d, range, what, replacement);
    }, CalcSession::Pending::KeepReplacements);
}

void LibreOfficeCalc::setRangeText(const QString &cell, const QString &text)
{
    if (d->running() && !d->workbooks.empty() && d->column.holdBack(*d, cell, text))
        return;
    d->call(CalcSession::cannotWrite(cell), [&] {
        int col = 0, row = 0;
        if (singleCell(cell, col, row)) {
            refuseIfAsked(col, row, col, row);
            typeInto(d->cells()->getCellByPosition(col, row), text);
            d->column.written(col, row);
            return;
        }
        forEachCell(d->range(cell), [&](const Reference<css::table::XCell> &c, int x, int y) {
            refuseIfAsked(x, y, x, y);
            typeInto(c, text);
        });
    });
}

void LibreOfficeCalc::setRangeInt(const QString &cell, int value)
{
    d->call(CalcSession::cannotWrite(cell), [&] {
        int col = 0, row = 0;
        if (singleCell(cell, col, row)) {
            refuseIfAsked(col, row, col, row);
            d->cells()->getCellByPosition(col, row)->setValue(value);
            return;
        }
        forEachCell(d->range(cell), [&](const Reference<css::table::XCell> &c, int x, int y) {
            refuseIfAsked(x, y, x, y);
            c->setValue(value);
        });
    });
}

void LibreOfficeCalc::rangeSelect(const QString &range)
{
    d->call(QStringLiteral("Cannot select the range \"%1\"").arg(range), [&] {
        d->selectionSupplier()->select(Any(d->range(range)));
    });
}

void LibreOfficeCalc::selectionMergeCells()
{
    d->call(QStringLiteral("Cannot merge the selected cells"), [&] {
        Reference<css::util::XMergeable> merge(d->selection(), UNO_QUERY_THROW);
        merge->merge(true);
    });
}

void LibreOfficeCalc::selectionWrapText()
{
    d->call(QStringLiteral("Cannot wrap the text of the selected cells"), [&] {
        Reference<css::beans::XPropertySet> props(d->selection(), UNO_QUERY_THROW);
        props->setPropertyValue(OUString("IsTextWrapped"), Any(true));
    });
}

void LibreOfficeCalc::activeWorkbookClose(bool saveChanges)
{
    d->call(QStringLiteral("Cannot close the workbook"), [&] {
        Reference<css::frame::XModel> model = d->active();
        if (saveChanges) {
            Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
            if (!storable->hasLocation())
                throw OrvelError(QStringLiteral("The workbook has no file to be saved to"));
            // Into its own file, in the format it was loaded from.
            d->call(QStringLiteral("Cannot save the workbook \"%1\"").arg(QUrl(qs(storable->getLocation())).toLocalFile()),
                    [&] { storable->store(); });
        }
        Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
        d->workbooks.pop_back();
        d->sheetChanged();
    });
}

void LibreOfficeCalc::quit()
{
    d->shutDown();
    if (m_quitHook)
        m_quitHook();
}

bool LibreOfficeCalc::activeWorkbookUnsaved()
{
    return d->call(QStringLiteral("Cannot read the state of the workbook"), [&] {
        Reference<css::frame::XModel> model = d->active();
        Reference<css::util::XModifiable> modifiable(model, UNO_QUERY_THROW);
        Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
        return modifiable->isModified() || !storable->hasLocation();
    });
}

void LibreOfficeCalc::activeWorkbookSaveAs(const QString &path)
{
    d->call(QStringLiteral("Cannot save the workbook as \"%1\"").arg(path), [&] {
        Reference<css::frame::XStorable> storable(d->active(), UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> options = props({
            prop("FilterName", Any(OUString("MS Excel 97"))),
            prop("Overwrite", Any(true)),
        });
        storable->storeAsURL(ou(fileUrl(path)), options);
    });
}

} // namespace orvel
