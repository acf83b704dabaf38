#include "Tnds.h"

Tnds::Tnds(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("nds"));
    setWindowTitle(QStringLiteral("Заполнение декларации НДС"));
}
