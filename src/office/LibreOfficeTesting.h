#pragma once
// What the tests and benchmarks of LibreOffice Calc use and the program
// never does: reading a sheet back, the replacement pass switched off and
// counted, writes the office refuses, and the office's process.
#include "office/LibreOfficeCalc.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace orvel {

#ifdef ORVEL_HAVE_LIBREOFFICE

// Reading the active sheet back (checks of written workbooks, benchmarks).
enum class CellKind { Empty, Value, Text, Formula };
CellKind cellKind(LibreOfficeCalc &calc, const QString &cell);
QString cellFormula(LibreOfficeCalc &calc, const QString &cell); // the cell's input text ("=C2/C3", "12", text)
QString cellString(LibreOfficeCalc &calc, const QString &cell);  // the text the cell shows
double cellValue(LibreOfficeCalc &calc, const QString &cell);
bool isMerged(LibreOfficeCalc &calc, const QString &range); // the range is one merged area
bool isWrapped(LibreOfficeCalc &calc, const QString &cell);
QString activeSheetName(LibreOfficeCalc &calc);
// The cells of the range whose text contains `text` (any case), as "B7".
QStringList findCells(LibreOfficeCalc &calc, const QString &range, const QString &text);
// Every cell of the range, row by row: its kind and its input text.
struct CellContent {
    CellKind kind = CellKind::Empty;
    QString formula;
    bool operator==(const CellContent &o) const { return kind == o.kind && formula == o.formula; }
};
QVector<CellContent> cellContents(LibreOfficeCalc &calc, const QString &range);

// Replacements in one range are carried out in one pass (the default)
// or by one office search each, as the pass's reference and fallback.
void setOnePassReplace(LibreOfficeCalc &calc, bool onePass);
// Replace calls carried out so far, in one pass and one by one.
struct ReplaceCounts {
    int onePass = 0, eachCall = 0;
};
ReplaceCounts replaceCounts(const LibreOfficeCalc &calc);

// Fault tests: from now on every write into this cell of any sheet
// fails as a write the office refuses (an empty text ends that).
void refuseWritesTo(const QString &cell);

// The process that watches over the office; its process group holds the
// office (0 once it has ended).
long long processId(const LibreOfficeCalc &calc);

#endif

} // namespace orvel
