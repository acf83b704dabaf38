#include "calc/Paths.h"
#include "office/Spreadsheet.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {
// ORVEL_SELFTEST=1: once the main window is up, print where the program found
// what ships beside it and whether the skin is on, then quit. The install test
// starts an installed copy this way; without the variable nothing changes.
void reportSelfTest(const TForm1 &form)
{
    const QString folder = orvel::programFolder();
    auto line = [](const QString &text) {
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
    };
    line(QStringLiteral("programFolder: ") + folder);
    const QString files[] = {QStringLiteral("shablon/nds.xls"), QStringLiteral("shablon/upr.xls"),
                             QStringLiteral("MacMetal.qss")};
    for (const QString &f : files)
        line(f + (QFileInfo::exists(folder + QLatin1Char('/') + f) ? QStringLiteral(": found")
                                                                   : QStringLiteral(": missing")));
    const bool skinned = form.sSkinManager1.isActive() && !qApp->styleSheet().isEmpty();
    line(skinned ? QStringLiteral("skin: applied") : QStringLiteral("skin: not applied"));
    line(form.isVisible() ? QStringLiteral("window: shown") : QStringLiteral("window: hidden"));
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Declarations and schedules find an office started ahead of them.
    orvel::enableSpareOffices(true);
    orvel::OrvelWindows windows = orvel::createOrvelWindows();
    windows.form1->show();
    if (qEnvironmentVariableIntValue("ORVEL_SELFTEST") == 1) {
        QTimer::singleShot(0, &app, [&] {
            reportSelfTest(*windows.form1);
            QCoreApplication::quit();
        });
    }
    const int rc = QApplication::exec();
    orvel::destroyOrvelWindows(windows);
    orvel::enableSpareOffices(false);
    return rc;
}
