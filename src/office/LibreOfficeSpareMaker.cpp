#include "office/LibreOfficeSpareMaker.h"

#include "office/LibreOfficeCalcStart.h"
#include "office/LibreOfficeInstall.h"

namespace orvel {

LibreOfficeSpareMaker::LibreOfficeSpareMaker(std::function<void()> runQuit) : m_runQuit(std::move(runQuit)) {}

LibreOfficeSpareMaker::~LibreOfficeSpareMaker() = default;

#ifdef ORVEL_HAVE_LIBREOFFICE
void LibreOfficeSpareMaker::begin()
{
    if (!libreOfficeUnavailableReason().isEmpty())
        return; // a run says why, as without spares
    try {
        m_start = std::make_unique<LibreOfficeCalcStart>();
    } catch (const OrvelError &) {
        // No spare; the run starts its office and reports the failure.
    }
}

void LibreOfficeSpareMaker::end() { m_start.reset(); }

bool LibreOfficeSpareMaker::exists() const { return bool(m_start); }

bool LibreOfficeSpareMaker::ready() const { return m_start && m_start->ready(); }

std::unique_ptr<SpreadsheetApp> LibreOfficeSpareMaker::take()
{
    const std::unique_ptr<LibreOfficeCalcStart> start = std::move(m_start);
    if (!start)
        return nullptr;
    std::unique_ptr<LibreOfficeCalc> office = start->take();
    if (office)
        office->setQuitHook(m_runQuit);
    return office;
}
#else
void LibreOfficeSpareMaker::begin() {}
void LibreOfficeSpareMaker::end() {}
bool LibreOfficeSpareMaker::exists() const { return false; }
bool LibreOfficeSpareMaker::ready() const { return false; }
std::unique_ptr<SpreadsheetApp> LibreOfficeSpareMaker::take() { return nullptr; }
#endif

} // namespace orvel
