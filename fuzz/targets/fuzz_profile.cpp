// Declaration profiles: any file bytes, then one write, then a read. The value
// written reads back, and every byte of the file outside the changed line
// stays as it was (a write changes one value or inserts lines).
//
// Input: the first three bytes pick the section, the key and the value from
// small lists (so that they meet the names in the file now and then); the
// rest is the file.
#include "calc/OrvelError.h"
#include "declarations/Profile.h"
#include "FuzzCheck.h"
#include "FuzzFolder.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

template <std::size_t N>
QString pick(const char *const (&list)[N], uint8_t selector)
{
    return QString::fromUtf8(list[selector % N]);
}

const char *const kSections[] = {"NDS", "nds", "Профиль", "профиль", "Main", "a b", "[x", "s=1"};
const char *const kKeys[] = {"Edit1", "EDIT1", "Имя", "ИМЯ", "k", "key with blanks", "x[1]", "Date"};
// Values that every profile encoding can hold, without blanks at the ends.
const char *const kValues[] = {"1", "", "Значение", "a=b", "[NDS]", "0,5", "x y  z", "\xC2\xAB""q""\xC2\xBB"};

// How the file's units are counted: two bytes after a UTF-16 mark.
int unitWidth(const QByteArray &file)
{
    return file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF") ? 2 : 1;
}

bool isLineEnd(const QByteArray &file, qsizetype unit, int width)
{
    if (width == 1)
        return file[unit] == '\n';
    const bool le = file.startsWith("\xFF\xFE");
    const char lo = file[2 + 2 * unit + (le ? 0 : 1)], hi = file[2 + 2 * unit + (le ? 1 : 0)];
    return lo == '\n' && hi == 0;
}

// The old and new files agree outside one line of the old file: their common
// head and tail (in whole units) leave at most a part of one line of the old
// file, with no line end in it.
void checkOnlyOneLineChanged(const QByteArray &before, const QByteArray &after)
{
    const int w = unitWidth(before);
    const qsizetype head = w == 2 ? 2 : 0;
    // A stray last byte of a UTF-16 file stays the last byte.
    const qsizetype strayBefore = w == 2 ? (before.size() - head) % 2 : 0;
    const qsizetype strayAfter = w == 2 ? (after.size() - head) % 2 : 0;
    FUZZ_CHECK(strayBefore == strayAfter && after.startsWith(before.left(head)) && after.endsWith(before.right(strayBefore)),
               "the mark or the stray last byte changed");
    const qsizetype unitsBefore = (before.size() - head - strayBefore) / w;
    const qsizetype unitsAfter = (after.size() - head - strayAfter) / w;
    const auto sameUnit = [&](qsizetype i, qsizetype j) {
        return before.mid(head + i * w, w) == after.mid(head + j * w, w);
    };
    qsizetype prefix = 0;
    while (prefix < unitsBefore && prefix < unitsAfter && sameUnit(prefix, prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < unitsBefore - prefix && suffix < unitsAfter - prefix
           && sameUnit(unitsBefore - 1 - suffix, unitsAfter - 1 - suffix))
        ++suffix;
    for (qsizetype i = prefix; i < unitsBefore - suffix; ++i)
        FUZZ_CHECK(!isLineEnd(before, i, w), "a line end of the old file was changed (unit %lld)",
                   static_cast<long long>(i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const QString section = pick(kSections, data[0]);
    const QString key = pick(kKeys, data[1]);
    const QString value = pick(kValues, data[2]);
    const QByteArray before(reinterpret_cast<const char *>(data + 3), static_cast<qsizetype>(size - 3));

    const QString path = fuzzFolder() + QStringLiteral("/profile.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(before) != before.size())
            std::abort();
    }

    // Reading never fails on the file's content (only a system without the
    // encodings fails it).
    const QString old = orvel::readProfileString(path, section, key, QStringLiteral("fallback"));
    (void)old;

    try {
        orvel::writeProfileString(path, section, key, value);
    } catch (const OrvelError &e) {
        FUZZ_CHECK(false, "the write failed: %s", qPrintable(e.message()));
    }
    const QString read = orvel::readProfileString(path, section, key, QStringLiteral("fallback"));
    FUZZ_CHECK(read == value, "[%s] %s: wrote '%s', read '%s'", qPrintable(section), qPrintable(key),
               qPrintable(value), qPrintable(read));

    QByteArray after;
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            std::abort();
        after = f.readAll();
    }
    checkOnlyOneLineChanged(before, after);
    return 0;
}
