#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace orvel {

namespace {
FileDialogHook &hook()
{
    static FileDialogHook h;
    return h;
}

// "Description|*.a;*.b" becomes the Qt filter "Description (*.a *.b)".
QString qtFilter(const QString &filter)
{
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter;
    QString patterns = filter.mid(bar + 1);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return filter.left(bar) + QStringLiteral(" (") + patterns + QLatin1Char(')');
}
} // namespace

void setFileDialogHook(FileDialogHook h) { hook() = std::move(h); }

QString runFileDialog(QWidget *parent, const FileDialogRequest &request)
{
    if (hook())
        return hook()(request);
    QFileDialog dialog(parent);
    dialog.setObjectName(request.name);
    dialog.setNameFilter(qtFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDialogRequest::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace orvel
