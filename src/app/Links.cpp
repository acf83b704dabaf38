// The maker's web links.
#include "TForm1.h"

void TForm1::Label6Click() {}
