// Amount and integer text as typed into the edit fields: any text either reads
// or fails with the conversion error, and what reads shows and reads back.
#include "calc/Numbers.h"
#include "calc/OrvelError.h"
#include "FuzzCheck.h"

#include <QString>

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

void amountRoundTrip(const QString &text, const QString &separator)
{
    orvel::ext value;
    try {
        value = orvel::readAmountExt(text, separator);
    } catch (const OrvelError &e) {
        FUZZ_CHECK(e.message() == QStringLiteral("'%1' is not a valid floating point value").arg(text),
                   "unexpected error: %s", qPrintable(e.message()));
        return;
    }
    FUZZ_CHECK(std::isfinite(value), "read a non-finite value from '%s'", qPrintable(text));

    // What is shown reads back to the same value at 15 significant digits.
    const QString shown = orvel::showAmount(value, separator);
    orvel::ext again;
    try {
        again = orvel::readAmountExt(shown, separator);
    } catch (const OrvelError &e) {
        FUZZ_CHECK(false, "'%s' shown as '%s' does not read back: %s", qPrintable(text), qPrintable(shown),
                   qPrintable(e.message()));
    }
    if (std::fabs(value) >= LDBL_MIN) {
        const orvel::ext diff = std::fabs(again - value) / std::fabs(value);
        FUZZ_CHECK(diff <= 5.1e-15L, "'%s' shown as '%s' reads back as %.21Lg, not %.21Lg", qPrintable(text),
                   qPrintable(shown), again, value);
    } else {
        FUZZ_CHECK(std::fabs(again - value) <= LDBL_MIN, "tiny '%s' shown as '%s'", qPrintable(text),
                   qPrintable(shown));
    }
    // Showing what was read back gives the same text again.
    FUZZ_CHECK(orvel::showAmount(again, separator) == shown, "'%s' shows as '%s', then as '%s'",
               qPrintable(text), qPrintable(shown), qPrintable(orvel::showAmount(again, separator)));
    orvel::clearFlags();
}

void integerRoundTrip(const QString &text)
{
    int value;
    try {
        value = orvel::readInteger(text);
    } catch (const OrvelError &e) {
        FUZZ_CHECK(e.message() == QStringLiteral("''%1'' is not a valid integer value").arg(text),
                   "unexpected error: %s", qPrintable(e.message()));
        return;
    }
    const QString shown = QString::number(value);
    FUZZ_CHECK(orvel::readInteger(shown) == value, "'%s' read as %d does not read back", qPrintable(text), value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    amountRoundTrip(text, QStringLiteral(","));
    amountRoundTrip(text, QStringLiteral("."));
    integerRoundTrip(text);
    orvel::clearFlags();
    return 0;
}
