// The loan tab of the main window.
#include "TForm1.h"

void TForm1::buildLoanTab() {}
void TForm1::Button5Click() {}
