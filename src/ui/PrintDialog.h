#pragma once
// The print dialog. Windows ask for it here; tests install a hook that
// answers it instead of a person (and usually points the printer at a file).
#include <functional>

class QPrinter;
class QWidget;

namespace orvel {

// Shows the dialog for printer; true when the user chose to print.
bool runPrintDialog(QWidget *parent, QPrinter &printer);

using PrintDialogHook = std::function<bool(QPrinter &printer)>;
// Installs a hook that answers every print dialog; an empty function removes it.
void setPrintDialogHook(PrintDialogHook hook);

} // namespace orvel
