#pragma once
// A series of Range.Replace calls on one range carried out in one pass: the
// range's cells are read once, every replacement is applied in order to what
// was read, and only the cells that changed are written back.
//
// Replace finds the cells whose text holds the searched text in any case and
// gives each found cell its replaced text as if typed ("'" keeps a text and
// is dropped). The pass gives the same sheet as the calls one by one, and
// says when it can't be sure of that: the calls are then made one by one.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace orvel {

// One cell as read from the sheet.
struct PlaceholderCell {
    enum Kind { Empty, Text, Other }; // Other: a number or a formula
    Kind kind = Empty;
    QString text; // a text cell's text; the input text (formula) of the others
    bool note = false; // the cell has a comment
};

using Replacement = QPair<QString, QString>; // what, replacement

// Cells in a row that one write of the row's segment sets: from firstColumn,
// one input text per cell, taken as typed into each ("" leaves the cell
// empty, "'x" is the text x). The cells between the changed ones were empty.
struct PlaceholderRun {
    int row = 0;
    int firstColumn = 0;
    QStringList inputs;
};

// A changed cell with a comment, which a segment write would lose: given
// its replaced text on its own, as Replace gives it.
struct PlaceholderCellWrite {
    int row = 0;
    int column = 0;
    QString text;
};

struct PlaceholderPlan {
    // False when the result could depend on how the office reads a number,
    // a formula or a replaced text back: then the calls go one by one.
    bool onePass = false;
    QList<PlaceholderRun> runs;
    QList<PlaceholderCellWrite> single;
    int changed = 0; // cells the replacements change
};

// cells: the range row by row, `columns` cells a row; positions in the plan
// count from 0 within the range. Empty searched texts are left out, as
// Replace does nothing for them.
PlaceholderPlan planPlaceholderPass(const QVector<PlaceholderCell> &cells, int columns,
                                    const QList<Replacement> &replacements);

} // namespace orvel
