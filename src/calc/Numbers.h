#pragma once
// Number conventions shared by every calculator: reading an amount typed into
// an edit field, showing one in a label, and reading whole numbers.
#include "calc/Checked.h"

#include <QString>

namespace orvel {

// The decimal separator of the user's regional settings (QLocale()).
QString decimalSeparator();

// Amount text: optional blanks, optional sign, digits, optionally the decimal
// separator and digits, optionally E/e, an optional sign and digits, optional
// blanks. Formed in extended precision. Anything else, or a value outside the
// extended range, fails with "'%s' is not a valid floating point value".
ext readAmountExt(const QString &text, const QString &separator);
ext readAmountExt(const QString &text); // with decimalSeparator()

// The same, stored as a double: a value beyond the double range fails with
// "Floating point overflow".
double readAmount(const QString &text);

// General format, 15 significant digits, no grouping, the given separator.
QString showAmount(ext value, const QString &separator);
QString showAmount(ext value); // with decimalSeparator()

// Integer text: optional leading blanks, optional sign, decimal digits (or
// hexadecimal after "$" or "0x"), nothing after them, within 32 bits.
// Otherwise "''%s'' is not a valid integer value".
int readInteger(const QString &text);

// The conversion error for a text that is not amount text.
OrvelError notAFloat(const QString &text);

} // namespace orvel
