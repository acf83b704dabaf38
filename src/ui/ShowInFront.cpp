#include "ui/ShowInFront.h"

#include <QWidget>

namespace orvel {

void showInFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace orvel
