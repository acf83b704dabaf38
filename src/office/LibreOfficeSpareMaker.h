#pragma once
// The spare offices of the program: LibreOffice Calc offices started on a
// thread of their own. A build without LibreOffice Calc makes none.
#include "office/SpareOffice.h"

#include <functional>
#include <memory>

namespace orvel {

class LibreOfficeCalcStart;

class LibreOfficeSpareMaker : public SpareOffice::Maker {
public:
    // runQuit is called when an office handed out has quit.
    explicit LibreOfficeSpareMaker(std::function<void()> runQuit);
    ~LibreOfficeSpareMaker() override;

    void begin() override;
    void end() override;
    bool exists() const override;
    bool ready() const override;
    std::unique_ptr<SpreadsheetApp> take() override;

private:
    std::function<void()> m_runQuit;
#ifdef ORVEL_HAVE_LIBREOFFICE
    std::unique_ptr<LibreOfficeCalcStart> m_start;
#endif
};

} // namespace orvel
