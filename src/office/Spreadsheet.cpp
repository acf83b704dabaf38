#include "office/Spreadsheet.h"

#include "office/LibreOfficeCalc.h"
#include "office/LibreOfficeInstall.h"
#include "office/LibreOfficeSpareMaker.h"

#include <QCoreApplication>

namespace orvel {

namespace {
SpreadsheetFactory &factory()
{
    static SpreadsheetFactory f;
    return f;
}

void spareRunQuit();
void endSpare();

// The program's spare, made at its first use and never destroyed: its
// office is ended before the application object goes (and by the exit hook
// of the offices, whatever happens).
SpareOffice &spare()
{
    static SpareOffice *const s = [] {
        auto *spare = new SpareOffice(std::make_unique<LibreOfficeSpareMaker>(spareRunQuit));
        if (QCoreApplication::instance())
            qAddPostRoutine(endSpare);
        return spare;
    }();
    return *s;
}

void endSpare() { spare().setEnabled(false); }

// The office of a run has quit.
void spareRunQuit() { spare().runQuit(); }
} // namespace

void setSpreadsheetFactory(SpreadsheetFactory f) { factory() = std::move(f); }

std::unique_ptr<SpreadsheetApp> officeSpreadsheetApp(const QString &progId)
{
    // Callers ask for the program identifier of the automation interface;
    // LibreOffice Calc answers for it.
    try {
        std::unique_ptr<SpreadsheetApp> app = spare().take();
        if (app)
            return app;
#ifdef ORVEL_HAVE_LIBREOFFICE
        std::unique_ptr<LibreOfficeCalc> calc = LibreOfficeCalc::start();
        calc->setQuitHook(spareRunQuit);
        return calc;
#else
        throw OrvelError(libreOfficeUnavailableReason());
#endif
    } catch (const OrvelError &e) {
        throw OrvelError(QStringLiteral("%1, ProgID: \"%2\"").arg(e.message(), progId));
    }
}

std::unique_ptr<SpreadsheetApp> createSpreadsheetApp(const QString &progId)
{
    if (factory())
        return factory()(progId);
    return officeSpreadsheetApp(progId);
}

void spareOfficeWanted(SpareAsker asker, bool wanted) { spare().setWanted(asker, wanted); }

void enableSpareOffices(bool on) { spare().setEnabled(on); }

bool spareOfficeReady() { return spare().ready(); }

} // namespace orvel
