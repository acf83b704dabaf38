#include "Startup.h"
#include "TForm1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    orvel::OrvelWindows windows = orvel::createOrvelWindows();
    windows.form1->show();
    const int rc = QApplication::exec();
    orvel::destroyOrvelWindows(windows);
    return rc;
}
