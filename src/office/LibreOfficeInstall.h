#pragma once
// Where LibreOffice is installed, and whether Orvel can use it.
#include <QString>

namespace orvel {

// Why LibreOffice Calc can't be used here ("LibreOffice Calc is not
// installed", ...), or an empty text when it can.
QString libreOfficeUnavailableReason();

// The office program folder (ORVEL_LIBREOFFICE_PROGRAM overrides the
// installed one, e.g. to see how Orvel behaves without LibreOffice).
QString libreOfficeProgramDir();

} // namespace orvel
