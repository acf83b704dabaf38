#include "TForm2.h"

TForm2::TForm2(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("О Orvel"));
}
