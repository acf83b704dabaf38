#include "ui/Skin.h"

#include <QApplication>
#include <QFile>

namespace orvel {

void SkinManager::setActive(bool active)
{
    if (!active) {
        if (m_active)
            qApp->setStyleSheet(QString());
        m_active = false;
        return;
    }
    QFile file(skinDirectory + skinName + QStringLiteral(".qss"));
    if (!file.open(QIODevice::ReadOnly))
        return; // no skin file: the default look stays
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    m_active = true;
}

} // namespace orvel
