#include "declarations/DeclarationStep.h"

namespace orvel {

QString columnName(int column)
{
    QString name;
    while (column > 0) {
        const int r = (column - 1) % 26;
        name.prepend(QChar(u'A' + r));
        column = (column - 1) / 26;
    }
    return name;
}

namespace {

// Range(range).Replace(What:=what, Replacement:=value); a failure only leaves
// that placeholder in the workbook.
void replaceQuietly(SpreadsheetApp &app, const QString &range, const QString &what, const QString &value)
{
    try {
        app.rangeReplace(range, what, value);
    } catch (...) {
        // The placeholder stays; the declaration goes on.
    }
}

// Character i (from 1) of a text, as a one-character text; "" past its end.
QString charAt(const QString &text, int i) { return i <= text.size() ? QString(text[i - 1]) : QString(); }

} // namespace

void replacePlaceholderGroup(SpreadsheetApp &app, const QString &range, const QString &prefix, int count,
                             const QString &source, const QString &valuePrefix)
{
    for (int i = 1; i <= count; ++i) {
        const QString what = prefix + QString::number(i) + QLatin1Char('&');
        replaceQuietly(app, range, what, valuePrefix + charAt(source, i));
    }
}

void DeclarationStep::carryOut(SpreadsheetApp &app, const QString &range, const QString &valuePrefix,
                               const DeclarationProgress &progress) const
{
    switch (kind) {
    case Kind::Sheet:
        app.activateSheet(at);
        break;
    case Kind::Group:
        replacePlaceholderGroup(app, range, at, value, padded ? text.leftJustified(value) : text, valuePrefix);
        break;
    case Kind::Text:
        app.setRangeText(at, text);
        break;
    case Kind::Number:
        app.setRangeInt(at, value);
        break;
    case Kind::Character:
        app.setRangeText(at, charAt(text, value));
        break;
    case Kind::Letters:
        // Letter k goes to every third column from A; names go in as typed.
        for (int k = first; k <= last; ++k)
            if (text.size() >= k)
                app.setRangeText(columnName(3 * k - 2) + QString::number(value), QString(text[k - 1]));
        break;
    case Kind::Progress:
        if (progress)
            progress(value);
        break;
    }
}

} // namespace orvel
