#pragma once
// A declaration's cell map as data: which field goes to which placeholders or
// cells, sheet by sheet, in the order the workbook receives them, with the
// progress a run has reached between them. fillDeclaration() carries a map out
// through the spreadsheet application for the fields of one run.
#include "declarations/DeclarationStep.h"

#include <QString>

#include <vector>

namespace orvel {

template <class Fields>
struct DeclarationMap {
    using Kind = DeclarationStep::Kind;

    // A step writes one field's text (`field`), or a fixed text (`literal`),
    // and happens only while `when` is true (always when it is null). The
    // other members are those of DeclarationStep.
    struct Step {
        Kind kind = Kind::Progress;
        const char *at = nullptr;
        int value = 0;
        QString Fields::*field = nullptr;
        const char *literal = nullptr;
        bool Fields::*when = nullptr;
        int first = 0, last = 0;
        bool padded = false;

        static Step sheet(const char *name) { return make(Kind::Sheet, name, 0); }
        static Step group(const char *prefix, int count, QString Fields::*field)
        {
            return make(Kind::Group, prefix, count, field);
        }
        static Step text(const char *cell, QString Fields::*field) { return make(Kind::Text, cell, 0, field); }
        static Step text(const char *cell, const char *literal)
        {
            Step s = make(Kind::Text, cell, 0);
            s.literal = literal;
            return s;
        }
        static Step number(const char *cell, int value) { return make(Kind::Number, cell, value); }
        static Step character(const char *cell, QString Fields::*field, int position)
        {
            return make(Kind::Character, cell, position, field);
        }
        static Step letters(QString Fields::*field, int row, int first, int last)
        {
            Step s = make(Kind::Letters, nullptr, row, field);
            s.first = first;
            s.last = last;
            return s;
        }
        static Step progress(int percent) { return make(Kind::Progress, nullptr, percent); }

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

        // The step with its text taken from these fields.
        DeclarationStep forFields(const Fields &fields) const
        {
            DeclarationStep d;
            d.kind = kind;
            d.at = QString::fromUtf8(at ? at : "");
            d.value = value;
            d.text = field ? fields.*field : QString::fromUtf8(literal ? literal : "");
            d.first = first;
            d.last = last;
            d.padded = padded;
            return d;
        }

    private:
        static Step make(Kind kind, const char *at, int value, QString Fields::*field = nullptr)
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

// Carries out the map's steps in order for these fields. An automation
// failure, other than a placeholder that could not be replaced, ends the fill.
template <class Fields>
void fillDeclaration(SpreadsheetApp &app, const DeclarationMap<Fields> &map, const Fields &fields,
                     const DeclarationProgress &progress)
{
    const QString range = QString::fromUtf8(map.range), valuePrefix = QString::fromUtf8(map.valuePrefix);
    for (const typename DeclarationMap<Fields>::Step &s : map.steps)
        if (!s.when || fields.*s.when)
            s.forFields(fields).carryOut(app, range, valuePrefix, progress);
}

} // namespace orvel
