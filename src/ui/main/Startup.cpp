#include "ui/main/Startup.h"

#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"
#include "ui/ErrorBox.h"
#include "ui/main/TForm1.h"
#include "ui/TForm2.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cfenv>

namespace orvel {

OrvelWindows createOrvelWindows()
{
    // Round to nearest for the whole process; faults are detected per
    // operation from the status flags (see Checked.h).
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);

    QCoreApplication::setApplicationName(QStringLiteral("Orvel"));
    setApplicationTitle(QStringLiteral("Orvel"));
    // The main window ends the run itself; hidden secondary windows never keep it alive.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    OrvelWindows w;
    w.form1 = new TForm1;
    w.form2 = new TForm2;
    // The VAT window shows the tax tab's last figures whenever it turns visible.
    w.nds = new Tnds([form1 = w.form1] { return Tnds::TaxFigures{form1->lastEnteredAmount, form1->lastTaxResult}; });
    w.null1 = new Tnull1;
    w.form1->aboutWindow = w.form2;
    w.form1->ndsWindow = w.nds;
    w.form1->null1Window = w.null1;
    return w;
}

void destroyOrvelWindows(OrvelWindows &w)
{
    delete w.null1;
    delete w.nds;
    delete w.form2;
    delete w.form1;
    w = OrvelWindows{};
}

} // namespace orvel
