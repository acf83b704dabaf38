#include "declarations/DeclarationMap.h"

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

void fillStep(SpreadsheetApp &app, const char *range, const char *valuePrefix, const FilledStep &step,
              const DeclarationProgress &progress)
{
    switch (step.kind) {
    case MapStepKind::Sheet:
        app.activateSheet(step.at);
        break;
    case MapStepKind::Group:
        replacePlaceholderGroup(app, QString::fromUtf8(range), step.at, step.value,
                                step.padded ? step.text.leftJustified(step.value) : step.text,
                                QString::fromUtf8(valuePrefix));
        break;
    case MapStepKind::Text:
        app.setRangeText(step.at, step.text);
        break;
    case MapStepKind::Number:
        app.setRangeInt(step.at, step.value);
        break;
    case MapStepKind::Character:
        app.setRangeText(step.at, charAt(step.text, step.value));
        break;
    case MapStepKind::Letters:
        // Letter k goes to every third column from A; names go in as typed.
        for (int k = step.first; k <= step.last; ++k)
            if (step.text.size() >= k)
                app.setRangeText(columnName(3 * k - 2) + QString::number(step.value), QString(step.text[k - 1]));
        break;
    case MapStepKind::Progress:
        if (progress)
            progress(step.value);
        break;
    }
}

} // namespace orvel
