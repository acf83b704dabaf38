#pragma once
// The keypad calculator without its keys: the state the keys work on and what
// each key does to it. The window owns only the display text; it passes that
// text in and shows what comes back.
#include <QChar>
#include <QString>

namespace orvel {

class Keypad {
public:
    double firstOperand = 0;  // the number shown when an operation key was last pressed
    double secondOperand = 0; // the number shown when "=" was last pressed
    double result = 0;        // the result of the last "=" with an operation to apply
    char16_t pending = 0;     // '+', '-', '*' or '/'; 0 until the first operation key

    // A digit key: the digit is appended to whatever the display shows,
    // a result included.
    static QString digit(const QString &display, QChar digit);

    // An operation key: the shown number becomes the first operand (an empty
    // display keeps the old one), then op becomes the pending operation. The
    // window then empties the display and disables the operation keys.
    void operation(const QString &display, char16_t op);

    // "=": the shown number becomes the second operand (an empty display keeps
    // the old one); the pending operation, if any, is applied in extended
    // precision and the result stored. Returns the text the display shows.
    // The first operand and the pending operation stay, so a further "="
    // repeats the operation on the number then shown.
    QString equals(const QString &display);

    // "C": both operands become 0; the pending operation and the result stay.
    void clear();

    // Sign change: the shown number negated. An empty display is not a number.
    static QString signChange(const QString &display);
};

// The calculator of the process, zero at start.
Keypad &keypad();

} // namespace orvel
