#include "Spreadsheet.h"

#include "LibreOfficeCalc.h"

namespace orvel {

namespace {
SpreadsheetFactory &factory()
{
    static SpreadsheetFactory f;
    return f;
}
} // namespace

void setSpreadsheetFactory(SpreadsheetFactory f) { factory() = std::move(f); }

std::unique_ptr<SpreadsheetApp> createSpreadsheetApp(const QString &progId)
{
    if (factory())
        return factory()(progId);
    // Callers ask for the program identifier of the automation interface;
    // LibreOffice Calc answers for it.
    try {
#ifdef ORVEL_HAVE_LIBREOFFICE
        return LibreOfficeCalc::start();
#else
        throw OrvelError(libreOfficeUnavailableReason());
#endif
    } catch (const OrvelError &e) {
        throw OrvelError(QStringLiteral("%1, ProgID: \"%2\"").arg(e.message(), progId));
    }
}

} // namespace orvel
