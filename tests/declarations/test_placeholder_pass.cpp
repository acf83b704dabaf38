// The one pass over a range that stands for a series of Replace calls: what
// it writes, and when it leaves the calls to go one by one.
#include "office/PlaceholderPass.h"

#include <QTest>

using orvel::PlaceholderCell;
using orvel::PlaceholderPlan;
using orvel::Replacement;

Q_DECLARE_METATYPE(QList<Replacement>)

namespace {

// One row of cells: "t:text" a text, "o:input" a number or formula,
// "n:text" a text with a comment, "" an empty cell.
QVector<PlaceholderCell> row(const QStringList &cells)
{
    QVector<PlaceholderCell> out;
    for (const QString &c : cells) {
        PlaceholderCell cell;
        if (c.startsWith(QLatin1String("t:")) || c.startsWith(QLatin1String("n:")))
            cell.kind = PlaceholderCell::Text;
        else if (c.startsWith(QLatin1String("o:")))
            cell.kind = PlaceholderCell::Other;
        cell.text = c.mid(2);
        cell.note = c.startsWith(QLatin1String("n:"));
        out << cell;
    }
    return out;
}

// The plan as one line: "run 0@1: a|b|c; cell 0@3: x", or "one by one".
QString describe(const PlaceholderPlan &plan)
{
    if (!plan.onePass)
        return QStringLiteral("one by one");
    QStringList parts;
    for (const orvel::PlaceholderRun &r : plan.runs)
        parts << QStringLiteral("run %1@%2: %3").arg(r.row).arg(r.firstColumn).arg(r.inputs.join(QLatin1Char('|')));
    for (const orvel::PlaceholderCellWrite &w : plan.single)
        parts << QStringLiteral("cell %1@%2: %3").arg(w.row).arg(w.column).arg(w.text);
    return parts.join(QStringLiteral("; "));
}

} // namespace

class TestPlaceholderPass : public QObject {
    Q_OBJECT

private slots:
    void plan_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QList<Replacement>>("replacements");
        QTest::addColumn<QString>("plan");

        using R = QList<Replacement>;
        QTest::newRow("one placeholder") << QStringList{"t:АО1&"} << R{{"АО1&", "'4"}} << "run 0@0: '4";
        QTest::newRow("any case") << QStringList{"t:ф1&"} << R{{"Ф1&", "'7"}} << "run 0@0: '7";
        QTest::newRow("inside a text, every occurrence")
            << QStringList{"t:ИНН И1& и1&"} << R{{"И1&", "5"}} << "run 0@0: ИНН 5 5";
        // Only a leading apostrophe is taken away: the second lands inside.
        QTest::newRow("two in a cell, in order")
            << QStringList{"t:К1&К2&"} << R{{"К1&", "'0"}, {"К2&", "'1"}} << "run 0@0: 0'1";
        QTest::newRow("a replaced text found by a later call")
            << QStringList{"t:А1&"} << R{{"А1&", "'Б1&"}, {"Б1&", "'x"}} << "run 0@0: 'x";
        QTest::newRow("apostrophe and nothing: empty cell")
            << QStringList{"t:Г1&"} << R{{"Г1&", "'"}} << "run 0@0: ";
        QTest::newRow("a blank after the apostrophe") << QStringList{"t:Н1&"} << R{{"Н1&", "' "}} << "run 0@0: ' ";
        QTest::newRow("not found: nothing written") << QStringList{"t:abc", "o:12"} << R{{"zz", "y"}} << "";
        QTest::newRow("empty searched text left out") << QStringList{"t:abc"} << R{{"", "y"}} << "";
        // Cells between changed ones: empty ones are written empty, a text
        // or a comment ends the run.
        QTest::newRow("empty cells inside a run")
            << QStringList{"t:Х1&", "", "", "t:Х2&", "", ""} << R{{"Х1&", "'1"}, {"Х2&", "'2"}} << "run 0@0: '1|||'2";
        QTest::newRow("a label between two runs")
            << QStringList{"t:Х1&", "t:.", "t:Х2&"} << R{{"Х1&", "'1"}, {"Х2&", "'2"}}
            << "run 0@0: '1; run 0@2: '2";
        QTest::newRow("a number between two runs")
            << QStringList{"t:Х1&", "o:5", "t:Х2&"} << R{{"Х1&", "'1"}, {"Х2&", "'2"}}
            << "run 0@0: '1; run 0@2: '2";
        QTest::newRow("a commented cell on its own")
            << QStringList{"t:Х1&", "n:Х2&", "t:Х3&"} << R{{"Х1&", "1"}, {"Х2&", "'2"}, {"Х3&", "3"}}
            << "run 0@0: 1; run 0@2: 3; cell 0@1: '2";
        QTest::newRow("a number or formula untouched when not found")
            << QStringList{"o:=A1&\"x\"", "t:П1&"} << R{{"П1&", "2"}} << "run 0@1: 2";
        // What the office would find in cells it reads its own way.
        QTest::newRow("found in a formula") << QStringList{"o:=\"П1&\""} << R{{"П1&", "2"}} << "one by one";
        QTest::newRow("found in a number") << QStringList{"o:125"} << R{{"2", "x"}} << "one by one";
        QTest::newRow("typed value found again")
            << QStringList{"t:Ш1&"} << R{{"Ш1&", "Ш2&"}, {"Ш2&", "x"}} << "one by one";
        QTest::newRow("typed digit, later digits searched")
            << QStringList{"t:Ш1&", "t:x"} << R{{"Ш1&", "5"}, {"5", "x"}} << "one by one";
        QTest::newRow("typed digit, later placeholders")
            << QStringList{"t:Ш1&", "t:Ш2&"} << R{{"Ш1&", "5"}, {"Ш2&", "6"}} << "run 0@0: 5|6";
        QTest::newRow("typed formula") << QStringList{"t:Ш1&", "t:Ш2&"} << R{{"Ш1&", "=1+1"}, {"Ш2&", "6"}}
                                       << "one by one";
        // A written cell must hold nothing a call one by one would find
        // again, should the write fail half way.
        QTest::newRow("written text holds an earlier placeholder")
            << QStringList{"t:А1&"} << R{{"Б1&", "'x"}, {"А1&", "'Б1&"}} << "one by one";
    }
    void plan()
    {
        QFETCH(QStringList, cells);
        QFETCH(QList<Replacement>, replacements);
        QFETCH(QString, plan);
        QCOMPARE(describe(orvel::planPlaceholderPass(row(cells), int(cells.size()), replacements)), plan);
    }

    // Rows are planned on their own; the cell count is what changed.
    void rowsAndCounts()
    {
        QVector<PlaceholderCell> cells = row({"t:И1&", "", "t:label"});
        cells += row({"", "t:И2&", "t:И3&"});
        const PlaceholderPlan plan =
            orvel::planPlaceholderPass(cells, 3, {{"И1&", "'7"}, {"И2&", "'7"}, {"И3&", "'8"}});
        QCOMPARE(describe(plan), QStringLiteral("run 0@0: '7; run 1@1: '7|'8"));
        QCOMPARE(plan.changed, 3);
        QVERIFY(!orvel::planPlaceholderPass(cells, 4, {{"И1&", "'7"}}).onePass); // not a whole number of rows
    }
};

QTEST_GUILESS_MAIN(TestPlaceholderPass)
#include "test_placeholder_pass.moc"
