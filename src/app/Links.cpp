// The maker's web links: the footer of the main window and the two links of
// the about window. The address goes to the desktop's browser or mail
// program; when none can open it, nothing is reported.
#include "Maker.h"
#include "TForm1.h"
#include "TForm2.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
void openLink(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}
} // namespace

void TForm1::Label6Click() { openLink(orvel::makerSiteUrl()); }

void TForm2::Label4Click() { openLink(orvel::makerSiteUrl()); }

void TForm2::Label5Click() { openLink(orvel::makerMailUrl()); }
