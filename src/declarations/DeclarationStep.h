#pragma once
// One step of filling a declaration through the spreadsheet application, its
// text already taken from the fields of the run (see DeclarationMap), and the
// placeholder and letter-cell addresses it writes to.
#include "office/Spreadsheet.h"

#include <QString>

#include <functional>

namespace orvel {

// Told the per cent a run has reached, where the map says so.
using DeclarationProgress = std::function<void(int percent)>;

// Spreadsheet column name of a 1-based column number: 1 "A", 27 "AA".
QString columnName(int column);

// Replaces prefix + i + "&" with valuePrefix + character i of source for
// i = 1..count, in ascending order, in range (Range(range).Replace). A failed
// replacement only leaves its placeholder in the workbook.
void replacePlaceholderGroup(SpreadsheetApp &app, const QString &range, const QString &prefix, int count,
                             const QString &source, const QString &valuePrefix);

struct DeclarationStep {
    // What a step does; the members each kind reads are named here.
    enum class Kind {
        Sheet,     // activates sheet `at`
        Group,     // placeholder group `at` of `value` positions: character i of the text at position i
        Text,      // cell `at` := the text
        Number,    // cell `at` := `value`
        Character, // cell `at` := character `value` (from 1) of the text, "" past its end
        Letters,   // letters first..last of the text, one every third column from A in row `value`
        Progress,  // the run has reached `value` per cent
    };

    Kind kind = Kind::Progress;
    QString at;
    int value = 0;
    QString text;
    int first = 0, last = 0;
    // Group: a text shorter than the group leaves the rest blank, not empty.
    bool padded = false;

    // Carries the step out on the workbook, or tells progress. Groups are
    // replaced in range, each character after valuePrefix.
    void carryOut(SpreadsheetApp &app, const QString &range, const QString &valuePrefix,
                  const DeclarationProgress &progress) const;
};

} // namespace orvel
