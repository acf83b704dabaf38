// The keypad calculator tab of the main window. The calculator's state lives
// in orvel::keypad() for the whole process; the window holds only the display.
#include "calc/Keypad.h"
#include "ui/ErrorBox.h"
#include "ui/main/TForm1.h"
#include "ui/Widgets.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

using orvel::named;

void TForm1::buildKeypadTab()
{
    QWidget *page = TabSheet5;
    auto *grid = new QGridLayout(page);
    Edit11 = named(new QLineEdit(page), "Edit11");
    Edit11->setReadOnly(true);
    Edit11->setAlignment(Qt::AlignRight);

    auto key = [page](const char *caption, const char *name) {
        auto *b = named(new QPushButton(QString::fromLatin1(caption), page), name);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    Button9 = key("1", "Button9");
    Button10 = key("2", "Button10");
    Button11 = key("3", "Button11");
    Button12 = key("4", "Button12");
    Button13 = key("5", "Button13");
    Button14 = key("6", "Button14");
    Button15 = key("7", "Button15");
    Button16 = key("8", "Button16");
    Button17 = key("9", "Button17");
    Button18 = key("0", "Button18");
    Button19 = key(".", "Button19");
    Button20 = key("-", "Button20");
    Button21 = key("*", "Button21");
    Button22 = key("/", "Button22");
    Button23 = key("C", "Button23");
    Button24 = key("+", "Button24");
    Button25 = key("=", "Button25");
    Button27 = key("-/+", "Button27");

    grid->addWidget(Edit11, 0, 0, 1, 4);
    grid->addWidget(Button15, 1, 0);
    grid->addWidget(Button16, 1, 1);
    grid->addWidget(Button17, 1, 2);
    grid->addWidget(Button22, 1, 3);
    grid->addWidget(Button12, 2, 0);
    grid->addWidget(Button13, 2, 1);
    grid->addWidget(Button14, 2, 2);
    grid->addWidget(Button21, 2, 3);
    grid->addWidget(Button9, 3, 0);
    grid->addWidget(Button10, 3, 1);
    grid->addWidget(Button11, 3, 2);
    grid->addWidget(Button20, 3, 3);
    grid->addWidget(Button18, 4, 0);
    grid->addWidget(Button19, 4, 1);
    grid->addWidget(Button27, 4, 2);
    grid->addWidget(Button24, 4, 3);
    grid->addWidget(Button23, 5, 0, 1, 2);
    grid->addWidget(Button25, 5, 2, 1, 2);
    grid->setRowStretch(6, 1);
    // A compact keypad at the left, like a pocket calculator.
    for (int column = 0; column < 4; ++column)
        grid->setColumnMinimumWidth(column, 72);
    grid->setColumnStretch(4, 1);

    const std::pair<QPushButton *, void (TForm1::*)()> handlers[] = {
        {Button9, &TForm1::Button9Click},   {Button10, &TForm1::Button10Click},
        {Button11, &TForm1::Button11Click}, {Button12, &TForm1::Button12Click},
        {Button13, &TForm1::Button13Click}, {Button14, &TForm1::Button14Click},
        {Button15, &TForm1::Button15Click}, {Button16, &TForm1::Button16Click},
        {Button17, &TForm1::Button17Click}, {Button18, &TForm1::Button18Click},
        {Button19, &TForm1::Button19Click}, {Button20, &TForm1::Button20Click},
        {Button21, &TForm1::Button21Click}, {Button22, &TForm1::Button22Click},
        {Button23, &TForm1::Button23Click}, {Button24, &TForm1::Button24Click},
        {Button25, &TForm1::Button25Click},
        // "-/+" shares the sign change with ".".
        {Button27, &TForm1::Button19Click},
    };
    for (const auto &[button, handler] : handlers)
        orvel::onEvent(button, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
}

void TForm1::keypadDigit(QChar digit) { Edit11->setText(orvel::Keypad::digit(Edit11->text(), digit)); }

void TForm1::keypadOperation(QChar op)
{
    orvel::keypad().operation(Edit11->text(), op.unicode());
    Edit11->clear();
    for (QPushButton *b : {Button20, Button21, Button22, Button24})
        b->setEnabled(false);
}

void TForm1::Button9Click() { keypadDigit(u'1'); }
void TForm1::Button10Click() { keypadDigit(u'2'); }
void TForm1::Button11Click() { keypadDigit(u'3'); }
void TForm1::Button12Click() { keypadDigit(u'4'); }
void TForm1::Button13Click() { keypadDigit(u'5'); }
void TForm1::Button14Click() { keypadDigit(u'6'); }
void TForm1::Button15Click() { keypadDigit(u'7'); }
void TForm1::Button16Click() { keypadDigit(u'8'); }
void TForm1::Button17Click() { keypadDigit(u'9'); }
void TForm1::Button18Click() { keypadDigit(u'0'); }

// Sign change, for both "." and "-/+": the operands, the result and the
// pending operation stay as they are.
void TForm1::Button19Click() { Edit11->setText(orvel::Keypad::signChange(Edit11->text())); }

void TForm1::Button20Click() { keypadOperation(u'-'); }
void TForm1::Button21Click() { keypadOperation(u'*'); }
void TForm1::Button22Click() { keypadOperation(u'/'); }
void TForm1::Button24Click() { keypadOperation(u'+'); }

void TForm1::Button23Click()
{
    Edit11->clear();
    orvel::keypad().clear();
    for (QPushButton *b : {Button20, Button21, Button22, Button24})
        b->setEnabled(true);
}

void TForm1::Button25Click()
{
    Edit11->setText(orvel::keypad().equals(Edit11->text()));
    for (QPushButton *b : {Button20, Button21, Button22, Button24})
        b->setEnabled(true);
}
