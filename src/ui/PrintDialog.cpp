#include "ui/PrintDialog.h"

#include <QPrintDialog>

namespace orvel {

namespace {
PrintDialogHook &hook()
{
    static PrintDialogHook h;
    return h;
}
} // namespace

void setPrintDialogHook(PrintDialogHook h) { hook() = std::move(h); }

bool runPrintDialog(QWidget *parent, QPrinter &printer)
{
    if (hook())
        return hook()(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace orvel
