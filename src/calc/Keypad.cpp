#include "calc/Keypad.h"

#include "calc/Checked.h"
#include "calc/Numbers.h"

namespace orvel {

QString Keypad::digit(const QString &display, QChar d) { return display + d; }

void Keypad::operation(const QString &display, char16_t op)
{
    if (!display.isEmpty())
        firstOperand = readAmount(display);
    pending = op;
}

QString Keypad::equals(const QString &display)
{
    if (!display.isEmpty())
        secondOperand = readAmount(display);
    const X a = firstOperand, b = secondOperand;
    switch (pending) {
    case u'*': result = (a * b).stored(); break;
    case u'+': result = (a + b).stored(); break;
    case u'-': result = (a - b).stored(); break;
    case u'/': result = (a / b).stored(); break;
    default: break; // nothing pending: the last result is shown again
    }
    return showAmount(result);
}

void Keypad::clear()
{
    firstOperand = 0;
    secondOperand = 0;
}

QString Keypad::signChange(const QString &display) { return showAmount(-readAmount(display)); }

Keypad &keypad()
{
    static Keypad calculator;
    return calculator;
}

} // namespace orvel
