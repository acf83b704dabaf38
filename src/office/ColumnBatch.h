#pragma once
// Texts written down one column (the schedule's month rows) reach the
// office in one call: the first cell is written at once, the ones that
// follow it directly below wait here until a call that is not one more
// of them. The sheet is the same as with one call per cell. Writes that
// do not continue a column, as all of the declarations', are never held
// back, so each is reported at the step that made it.
#include <QString>
#include <QStringList>

namespace orvel {

class CalcSession;

class ColumnBatch {
public:
    // Holds the text back when it continues the column of the last text;
    // false when it has to be written now. A new column first carries out
    // the replacements that wait.
    bool holdBack(CalcSession &office, const QString &address, const QString &text);
    // Writes the texts held back: in one call, or one by one when the
    // office refuses the column.
    void flush(CalcSession &office);
    // A text written on its own into the cell.
    void written(int col, int row) { m_lastText = {col, row}; }
    // Another sheet is active: no column goes on.
    void sheetChanged() { m_lastText = {-1, -1}; }
    // The office has ended: nothing waits any more.
    void clear() { m_column = Column(); }

private:
    struct Column {
        int col = -1, firstRow = 0;
        QStringList texts;
    } m_column;
    struct Cell {
        int col, row;
    } m_lastText{-1, -1}; // the last text written on its own
};

} // namespace orvel
