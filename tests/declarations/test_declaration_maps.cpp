// The workbooks filled through the spreadsheet application, without a
// window: each kind of a declaration map's step as the application receives
// it, the progress each map reports, column names, the template copy a run
// fills, and the loan schedule's month rows. The windows' tests pin the whole
// transcripts of both declarations and of the schedule export.
#include "calc/OrvelError.h"
#include "calc/Paths.h"
#include "declarations/DeclarationMap.h"
#include "declarations/DeclarationTemplate.h"
#include "declarations/LoanScheduleSheet.h"
#include "declarations/SimplifiedDeclaration.h"
#include "declarations/VatDeclaration.h"
#include "RecordingSpreadsheet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orveltest;

namespace {

// A small declaration for the kinds of step.
struct Sample {
    QString name;
    bool yes = false, no = false;
};
using SampleMap = orvel::DeclarationMap<Sample>;
using Step = SampleMap::Step;

// The transcript of one fill, progress included.
template <class Fields>
QStringList transcript(const Fields &fields,
                       void (*fill)(orvel::SpreadsheetApp &, const Fields &, const orvel::DeclarationProgress &))
{
    SpreadsheetLog log;
    RecordingSpreadsheet app(log);
    fill(app, fields, [&log](int percent) { log.calls << QStringLiteral("progress %1").arg(percent); });
    return log.calls;
}

QStringList progressOnly(const QStringList &calls) { return calls.filter(QStringLiteral("progress ")); }

} // namespace

class TestDeclarationMaps : public QObject {
    Q_OBJECT

private slots:
    void steps_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("valuePrefix");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("calls");
        const auto replace = [](const char *what, const QString &value) {
            return QStringLiteral("Range(A1:B2).Replace(What:=\"%1\", Replacement:=\"%2\")").arg(QString::fromUtf8(what), value);
        };
        QTest::newRow("sheet") << "" << "" << 0 << QStringList{"ActiveWorkBook.Worksheets.Item(стр.1).activate"};
        QTest::newRow("group, text shorter: the rest empty")
            << "ab" << "'" << 1 << QStringList{replace("Х1&", "'a"), replace("Х2&", "'b"), replace("Х3&", "'")};
        QTest::newRow("group padded: the rest blank")
            << "a" << "" << 2 << QStringList{replace("Х1&", "a"), replace("Х2&", " "), replace("Х3&", " ")};
        QTest::newRow("group, text longer: cut") << "abcd" << "" << 1
                                                << QStringList{replace("Х1&", "a"), replace("Х2&", "b"), replace("Х3&", "c")};
        QTest::newRow("field text") << "Иванов" << "" << 3 << QStringList{"Range(C3) := \"Иванов\""};
        QTest::newRow("fixed text") << "" << "" << 4 << QStringList{"Range(C4) := \"'4\""};
        QTest::newRow("number") << "" << "" << 5 << QStringList{"Range(O14) := 3"};
        QTest::newRow("character") << "09" << "" << 6 << QStringList{"Range(DU34) := \"9\""};
        QTest::newRow("character past the end") << "0" << "" << 6 << QStringList{"Range(DU34) := \"\""};
        QTest::newRow("letters 2..4, every third column")
            << "Петров" << "" << 7 << QStringList{"Range(D16) := \"е\"", "Range(G16) := \"т\"", "Range(J16) := \"р\""};
        QTest::newRow("letters past the end") << "Ян" << "" << 7 << QStringList{"Range(D16) := \"н\""};
        QTest::newRow("progress") << "" << "" << 8 << QStringList{"progress 35"};
        QTest::newRow("only when true: true") << "" << "" << 9 << QStringList{"progress 50"};
        QTest::newRow("only when true: false") << "" << "" << 10 << QStringList();
    }
    void steps()
    {
        QFETCH(QString, name);
        QFETCH(QString, valuePrefix);
        QFETCH(int, step);
        QFETCH(QStringList, calls);
        const QByteArray prefix = valuePrefix.toUtf8();
        const std::vector<Step> steps{
            Step::sheet("стр.1"),
            Step::group("Х", 3, &Sample::name),
            Step::group("Х", 3, &Sample::name).blankPadded(),
            Step::text("C3", &Sample::name),
            Step::text("C4", "'4"),
            Step::number("O14", 3),
            Step::character("DU34", &Sample::name, 2),
            Step::letters(&Sample::name, 16, 2, 4),
            Step::progress(35),
            Step::progress(50).only(&Sample::yes),
            Step::progress(60).only(&Sample::no),
        };
        const SampleMap map{"A1:B2", prefix.constData(), {steps[std::size_t(step)]}};
        Sample fields;
        fields.name = name;
        fields.yes = true;
        SpreadsheetLog log;
        RecordingSpreadsheet app(log);
        orvel::fillDeclaration(app, map, fields,
                               [&log](int percent) { log.calls << QStringLiteral("progress %1").arg(percent); });
        QCOMPARE(log.calls, calls);
    }

    // A placeholder that cannot be replaced stays, and the fill goes on;
    // any other failure ends it.
    void failures()
    {
        const SampleMap map{"A1:B2", "", {Step::group("Х", 2, &Sample::name), Step::text("C3", "x"), Step::progress(10)}};
        SpreadsheetLog log;
        RecordingSpreadsheet app(log);
        log.failOn = QStringLiteral("Range(A1:B2).Replace(What:=\"Х1&\"");
        orvel::fillDeclaration(app, map, Sample{}, {});
        QCOMPARE(log.calls.size(), 3);
        log.failOn = QStringLiteral("Range(C3)");
        QVERIFY_THROWS_EXCEPTION(OrvelError, orvel::fillDeclaration(app, map, Sample{}, [](int) {
            QFAIL("progress after a failure");
        }));
    }

    // Which progress steps each declaration reports, by what the fields choose.
    void progress()
    {
        const QString vatSteps = QStringLiteral("progress 10,progress 15,progress 20,progress 30,progress 40,"
                                                "progress 50,progress 60,progress 70,progress 80,progress 90");
        QCOMPARE(progressOnly(transcript(orvel::VatDeclarationFields{}, orvel::fillVatDeclaration)).join(','), vatSteps);

        orvel::SimplifiedDeclarationFields f;
        QCOMPARE(progressOnly(transcript(f, orvel::fillSimplifiedDeclaration)).join(','),
                 QStringLiteral("progress 8,progress 10,progress 15,progress 20,progress 25,progress 30,progress 40"));
        f.corrective = f.vatRow = f.profitRow = true;
        QCOMPARE(progressOnly(transcript(f, orvel::fillSimplifiedDeclaration)).join(','),
                 QStringLiteral("progress 8,progress 10,progress 15,progress 20,progress 25,progress 30,progress 35,"
                                "progress 40,progress 45,progress 50,progress 60,progress 70,progress 80,progress 90"));
    }

    // The month rows, column by column, from the term as typed; the sheet
    // shows the fields as typed.
    void loanScheduleRows()
    {
        SpreadsheetLog log;
        RecordingSpreadsheet app(log);
        orvel::fillLoanScheduleSheet(app, {QStringLiteral("0300"), QStringLiteral("12"), QStringLiteral("3"), 300, 3},
                                     QStringLiteral("http://example/"));
        QVERIFY(log.calls.contains(QStringLiteral("Range(C2) := \"0300\"")));
        const QStringList rows = log.calls.mid(log.calls.indexOf(QStringLiteral("Selection.WrapText := True")) + 1);
        QStringList cells;
        for (const QString &line : rows)
            cells << line.section(QLatin1Char(')'), 0, 0).mid(6);
        QCOMPARE(cells, (QStringList{"A7", "A8", "A9", "B7", "B8", "B9", "C7", "C8", "C9", "D7", "D8", "D9", "E7",
                                     "E8", "E9"}));
        QCOMPARE(rows.last(), QStringLiteral("Range(E9) := \"=C4*0.01*30/365*B9\""));
    }

    void columnNames_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "";
        QTest::newRow("1") << 1 << "A";
        QTest::newRow("26") << 26 << "Z";
        QTest::newRow("27") << 27 << "AA";
        QTest::newRow("52") << 52 << "AZ";
        QTest::newRow("58, the 20th letter cell") << 58 << "BF";
        QTest::newRow("702") << 702 << "ZZ";
        QTest::newRow("703") << 703 << "AAA";
    }
    void columnNames()
    {
        QFETCH(int, column);
        QFETCH(QString, name);
        QCOMPARE(orvel::columnName(column), name);
    }

    // The copy of a read-only template can be filled and saved.
    void readOnlyTemplate()
    {
        QTemporaryDir program, work;
        QVERIFY(QDir(program.path()).mkdir(QStringLiteral("shablon")));
        orvel::setProgramFolder(program.path());
        const QString source = orvel::declarationTemplatePath(QString::fromLatin1(orvel::kVatDeclarationTemplate));
        QCOMPARE(source, program.path() + QStringLiteral("/shablon/nds.xls"));
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("nds template");
        }
        QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QString target = work.filePath(QStringLiteral("t.xls"));
        orvel::copyDeclarationTemplate(source, target);
        orvel::setProgramFolder(QString());
        QVERIFY(QFile::permissions(target) & QFile::WriteOwner);
        QFile copy(target);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("nds template"));
    }
};

QTEST_MAIN(TestDeclarationMaps)
#include "test_declaration_maps.moc"
