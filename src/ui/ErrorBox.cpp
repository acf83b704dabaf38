#include "ui/ErrorBox.h"

#include <QMessageBox>

namespace orvel {

namespace {
QString &title()
{
    static QString t = QStringLiteral("Orvel");
    return t;
}
} // namespace

QString applicationTitle() { return title(); }
void setApplicationTitle(const QString &t) { title() = t; }

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() <= u'.')
        return message;
    return message + QLatin1Char('.');
}

void showErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorBoxText(message), QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

} // namespace orvel
