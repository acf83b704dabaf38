// The declaration chooser on the tax tab: group "Декларация".
#include "TForm1.h"

void TForm1::buildChooser() {}
void TForm1::ComboBox3Change() {}
void TForm1::Button28Click() {}
