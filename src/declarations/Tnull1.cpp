#include "Tnull1.h"

Tnull1::Tnull1(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("null1"));
    setWindowTitle(QStringLiteral("Заполнение единой (упрощенной) налоговой декларации"));
}
