#pragma once
// A declaration's cell map as data: which field goes to which placeholders or
// cells, sheet by sheet, in the order the workbook receives them, with the
// progress a run has reached between them. fillDeclaration() carries a map out
// through the spreadsheet application for the fields of one run.
#include "office/Spreadsheet.h"

#include <QString>

#include <functional>
#include <vector>

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

// One kind of step; the fields of Step each kind reads are named here.
enum class MapStepKind {
    Sheet,     // activates sheet `at`
    Group,     // placeholder group `at` of `value` positions: character i of the text at position i
    Text,      // cell `at` := the text
    Number,    // cell `at` := `value`
    Character, // cell `at` := character `value` (from 1) of the text, "" past its end
    Letters,   // letters first..last of the text, one every third column from A in row `value`
    Progress,  // the run has reached `value` per cent
};

template <class Fields>
struct DeclarationMap {
    // A step writes one field's text (`field`), or a fixed text (`literal`),
    // and happens only while `when` is true (always when it is null).
    struct Step {
        MapStepKind kind = MapStepKind::Progress;
        const char *at = nullptr;
        int value = 0;
        QString Fields::*field = nullptr;
        const char *literal = nullptr;
        bool Fields::*when = nullptr;
        int first = 0, last = 0;
        // Group: a text shorter than the group leaves the rest blank, not empty.
        bool padded = false;

        static Step sheet(const char *name) { return make(MapStepKind::Sheet, name, 0); }
        static Step group(const char *prefix, int count, QString Fields::*field)
        {
            return make(MapStepKind::Group, prefix, count, field);
        }
        static Step text(const char *cell, QString Fields::*field) { return make(MapStepKind::Text, cell, 0, field); }
        static Step text(const char *cell, const char *literal)
        {
            Step s = make(MapStepKind::Text, cell, 0);
            s.literal = literal;
            return s;
        }
        static Step number(const char *cell, int value) { return make(MapStepKind::Number, cell, value); }
        static Step character(const char *cell, QString Fields::*field, int position)
        {
            return make(MapStepKind::Character, cell, position, field);
        }
        static Step letters(QString Fields::*field, int row, int first, int last)
        {
            Step s = make(MapStepKind::Letters, nullptr, row, field);
            s.first = first;
            s.last = last;
            return s;
        }
        static Step progress(int percent) { return make(MapStepKind::Progress, nullptr, percent); }

        Step only(bool Fields::*condition) const
        {
            Step s = *this;
            s.when = condition;
            return s;
        }
        Step blankPadded() const
        {
            Step s = *this;
            s.padded = true;
            return s;
        }

    private:
        static Step make(MapStepKind kind, const char *at, int value, QString Fields::*field = nullptr)
        {
            Step s;
            s.kind = kind;
            s.at = at;
            s.value = value;
            s.field = field;
            return s;
        }
    };

    const char *range = "";       // where the placeholder groups are replaced
    const char *valuePrefix = ""; // goes before each character of a group
    std::vector<Step> steps;
};

// One step with its text taken from the fields; see MapStepKind.
struct FilledStep {
    MapStepKind kind;
    QString at;
    int value;
    QString text;
    int first, last;
    bool padded;
};

// Carries out one step on the workbook, or tells progress.
void fillStep(SpreadsheetApp &app, const char *range, const char *valuePrefix, const FilledStep &step,
              const DeclarationProgress &progress);

// Carries out the map's steps in order for these fields. An automation
// failure, other than a placeholder that could not be replaced, ends the fill.
template <class Fields>
void fillDeclaration(SpreadsheetApp &app, const DeclarationMap<Fields> &map, const Fields &fields,
                     const DeclarationProgress &progress)
{
    for (const typename DeclarationMap<Fields>::Step &s : map.steps) {
        if (s.when && !(fields.*s.when))
            continue;
        const QString text = s.field ? fields.*s.field : QString::fromUtf8(s.literal ? s.literal : "");
        fillStep(app, map.range, map.valuePrefix,
                 FilledStep{s.kind, QString::fromUtf8(s.at ? s.at : ""), s.value, text, s.first, s.last, s.padded},
                 progress);
    }
}

} // namespace orvel
