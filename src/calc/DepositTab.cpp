// The deposit tab of the main window.
#include "TForm1.h"

void TForm1::buildDepositTab() {}
void TForm1::Button2Click() {}
void TForm1::RadioButton3Click() {}
void TForm1::RadioButton4Click() {}
