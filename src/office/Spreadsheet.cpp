#include "office/Spreadsheet.h"

#include "office/LibreOfficeCalcStart.h"
#include "office/LibreOfficeInstall.h"
#include "office/SpareOffice.h"

#include <QCoreApplication>

namespace orvel {

namespace {
SpreadsheetFactory &factory()
{
    static SpreadsheetFactory f;
    return f;
}

#ifdef ORVEL_HAVE_LIBREOFFICE
void spareRunQuit();

// Spares are LibreOffice Calc offices started on a thread of their own.
class LibreOfficeSpareMaker : public SpareOffice::Maker {
public:
    void begin() override
    {
        if (!libreOfficeUnavailableReason().isEmpty())
            return; // a run says why, as without spares
        try {
            m_start = std::make_unique<LibreOfficeCalcStart>();
        } catch (const OrvelError &) {
            // No spare; the run starts its office and reports the failure.
        }
    }
    void end() override { m_start.reset(); }
    bool exists() const override { return bool(m_start); }
    bool ready() const override { return m_start && m_start->ready(); }
    std::unique_ptr<SpreadsheetApp> take() override
    {
        const std::unique_ptr<LibreOfficeCalcStart> start = std::move(m_start);
        if (!start)
            return nullptr;
        std::unique_ptr<LibreOfficeCalc> office = start->take();
        if (office)
            office->setQuitHook(spareRunQuit);
        return office;
    }

private:
    std::unique_ptr<LibreOfficeCalcStart> m_start;
};
#else
class LibreOfficeSpareMaker : public SpareOffice::Maker {
public:
    void begin() override {}
    void end() override {}
    bool exists() const override { return false; }
    bool ready() const override { return false; }
    std::unique_ptr<SpreadsheetApp> take() override { return nullptr; }
};
#endif

void endSpare();

// The program's spare, made at its first use and never destroyed: its
// office is ended before the application object goes (and by the exit hook
// of the offices, whatever happens).
SpareOffice &spare()
{
    static SpareOffice *const s = [] {
        auto *spare = new SpareOffice(std::make_unique<LibreOfficeSpareMaker>());
        if (QCoreApplication::instance())
            qAddPostRoutine(endSpare);
        return spare;
    }();
    return *s;
}

void endSpare() { spare().setEnabled(false); }

#ifdef ORVEL_HAVE_LIBREOFFICE
void spareRunQuit() { spare().runQuit(); }
#endif
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
