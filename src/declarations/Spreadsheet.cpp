#include "Spreadsheet.h"

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
    // The LibreOffice implementation joins here.
    throw OrvelError(QStringLiteral("LibreOffice Calc is not available, ProgID: \"%1\"").arg(progId));
}

} // namespace orvel
