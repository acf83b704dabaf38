// The converter tab of the main window.
#include "TForm1.h"
#include "TcpProbe.h"
#include "Widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void TForm1::buildConverterTab() {}
void TForm1::FormDestroy() {}
void TForm1::TabSheet4Show() {}
void TForm1::TTCPClientConnect() {}
void TForm1::TTCPClientError() {}
QDate TForm1::GetCurrencyList(const QString &) { return {}; }
void TForm1::Button7Click() {}
bool TForm1::Edit10KeyPress(QChar) { return true; }
