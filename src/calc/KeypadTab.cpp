// The keypad calculator tab of the main window.
#include "TForm1.h"

void TForm1::buildKeypadTab() {}
void TForm1::keypadDigit(QChar) {}
void TForm1::keypadOperation(QChar) {}
void TForm1::Button9Click() {}
void TForm1::Button10Click() {}
void TForm1::Button11Click() {}
void TForm1::Button12Click() {}
void TForm1::Button13Click() {}
void TForm1::Button14Click() {}
void TForm1::Button15Click() {}
void TForm1::Button16Click() {}
void TForm1::Button17Click() {}
void TForm1::Button18Click() {}
void TForm1::Button19Click() {}
void TForm1::Button20Click() {}
void TForm1::Button21Click() {}
void TForm1::Button22Click() {}
void TForm1::Button23Click() {}
void TForm1::Button24Click() {}
void TForm1::Button25Click() {}
