// LibreOffice Calc as the spreadsheet application: typed input, replacement,
// merging, workbooks opened, saved and closed, and the office process ending
// with the application object.
#include "CalcTestSupport.h"
#include "office/LibreOfficeTesting.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using orvel::LibreOfficeCalc;
using Kind = orvel::CellKind;
using namespace orveltest;

Q_DECLARE_METATYPE(orvel::CellKind)

class TestLibreOfficeCalc : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<LibreOfficeCalc> app; // one office for the cell tests

    static std::unique_ptr<LibreOfficeCalc> startCalc()
    {
        try {
            return LibreOfficeCalc::start();
        } catch (const OrvelError &e) {
            qWarning("%s", qPrintable(e.message()));
            return nullptr;
        }
    }

private slots:
    void initTestCase()
    {
        const QString missing = orvel::libreOfficeUnavailableReason();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        QVERIFY(dir.isValid());
        app = startCalc();
        QVERIFY(app);
        app->workbooksAdd();
    }

    void cleanupTestCase()
    {
        app.reset();
        QCOMPARE(childProcesses(), QList<int>());
    }

    // A text assigned to a cell is taken as if typed; a leading apostrophe
    // always makes the rest a text, and is never kept.
    void typedInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("number") << "12" << Kind::Value << "12";
        QTest::newRow("formula") << "=2*3+0.5" << Kind::Formula << "6.5";
        QTest::newRow("text") << "Сумма кредита:" << Kind::Text << "Сумма кредита:";
        QTest::newRow("apostrophe number") << "'4" << Kind::Text << "4";
        QTest::newRow("apostrophe blank") << "' " << Kind::Text << " ";
        QTest::newRow("apostrophe bracket") << "'(" << Kind::Text << "(";
        QTest::newRow("apostrophe formula") << "'=1+1" << Kind::Text << "=1+1";
        QTest::newRow("two apostrophes") << "''x" << Kind::Text << "'x";
        QTest::newRow("empty") << "" << Kind::Empty << "";
    }
    void typedInput()
    {
        QFETCH(QString, text);
        QFETCH(Kind, kind);
        QFETCH(QString, shown);
        app->setRangeText(QStringLiteral("B2"), QStringLiteral("x"));
        app->setRangeText(QStringLiteral("B2"), text);
        QCOMPARE(cellKind(*app, QStringLiteral("B2")), kind);
        QCOMPARE(cellString(*app, QStringLiteral("B2")), shown);
    }

    // Texts written down a column reach the office together; the cells come
    // out as when each is written on its own (here in reverse order, which
    // writes them one by one).
    void columnWrites()
    {
        const QStringList texts{"12",   "=1/4",   "text", "'(",   "",         "1e3", "  7",
                                "TRUE", "50%",    "=SUM(1;2)", "'5", "2024-02-01", "-0", "x'"};
        for (int i = 0; i < texts.size(); ++i)
            app->setRangeText(QStringLiteral("J%1").arg(i + 1), texts[i]);
        for (int i = int(texts.size()) - 1; i >= 0; --i)
            app->setRangeText(QStringLiteral("K%1").arg(i + 1), texts[i]);
        for (int i = 0; i < texts.size(); ++i) {
            const QString batched = QStringLiteral("J%1").arg(i + 1), single = QStringLiteral("K%1").arg(i + 1);
            QCOMPARE(cellKind(*app, batched), cellKind(*app, single));
            QCOMPARE(cellFormula(*app, batched), cellFormula(*app, single));
            QCOMPARE(cellString(*app, batched), cellString(*app, single));
        }
        QCOMPARE(cellValue(*app, QStringLiteral("J2")), 0.25);
        QCOMPARE(cellString(*app, QStringLiteral("J4")), QStringLiteral("("));
    }

    void integerAndRanges()
    {
        app->setRangeInt(QStringLiteral("C3"), -7);
        QCOMPARE(cellKind(*app, QStringLiteral("C3")), Kind::Value);
        QCOMPARE(cellValue(*app, QStringLiteral("C3")), -7.0);
        app->setRangeText(QStringLiteral("D1:E2"), QStringLiteral("'0"));
        for (const char *c : {"D1", "E1", "D2", "E2"})
            QCOMPARE(cellString(*app, QString::fromLatin1(c)), QStringLiteral("0"));
        try {
            app->setRangeText(QStringLiteral("A1:"), QStringLiteral("x"));
            QFAIL("an invalid address was accepted");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("\"A1:\" is not a valid cell range"));
        }
    }

    // Every occurrence, whatever its case, in the cells of the range only; the
    // replaced text is taken as if typed, with the same apostrophe rule.
    void replace_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("after");
        QTest::newRow("placeholder") << "ИНН: {inn}" << "{INN}" << "7701" << Kind::Text << "ИНН: 7701";
        QTest::newRow("every occurrence") << "xAx" << "x" << "-" << Kind::Text << "-A-";
        QTest::newRow("becomes a number") << "#" << "#" << "42" << Kind::Value << "42";
        QTest::newRow("apostrophe digit") << "#" << "#" << "'4" << Kind::Text << "4";
        QTest::newRow("apostrophe blank") << "#" << "#" << "' " << Kind::Text << " ";
        QTest::newRow("apostrophe bracket") << "#" << "#" << "'(" << Kind::Text << "(";
        QTest::newRow("formula") << "=1+1" << "1" << "2" << Kind::Formula << "4";
        QTest::newRow("not found") << "abc" << "zz" << "y" << Kind::Text << "abc";
    }
    void replace()
    {
        QFETCH(QString, before);
        QFETCH(QString, what);
        QFETCH(QString, replacement);
        QFETCH(Kind, kind);
        QFETCH(QString, after);
        for (const char *c : {"F5", "G6", "H5"})
            app->setRangeText(QString::fromLatin1(c), before);
        app->rangeReplace(QStringLiteral("F5:G6"), what, replacement);
        for (const char *c : {"F5", "G6"}) {
            QCOMPARE(cellKind(*app, QString::fromLatin1(c)), kind);
            QCOMPARE(cellString(*app, QString::fromLatin1(c)), after);
        }
        QCOMPARE(cellFormula(*app, QStringLiteral("H5")), before); // outside the range
    }

    // The office's own exception texts name its source files and error
    // codes; the user reads what failed instead.
    void failedSave()
    {
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        const QString path = dir.filePath(QStringLiteral("plain/x.xls")); // a file in place of its folder
        try {
            app->activeWorkbookSaveAs(path);
            QFAIL("a save under a file succeeded");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot save the workbook as \"%1\"").arg(path));
        }
        QVERIFY(app->activeWorkbookUnsaved());
        plain.remove();
    }

    void mergeAndWrap()
    {
        app->rangeSelect(QStringLiteral("A10:E10"));
        app->selectionMergeCells();
        app->rangeSelect(QStringLiteral("A12:C12"));
        app->selectionWrapText();
        QVERIFY(isMerged(*app, QStringLiteral("A10:E10")));
        QVERIFY(!isMerged(*app, QStringLiteral("A12:C12")));
        QVERIFY(isWrapped(*app, QStringLiteral("B12")));
        QVERIFY(!isWrapped(*app, QStringLiteral("B10")));
    }

    // A workbook of three sheets stored as Excel 97-2003, opened on its saved
    // active sheet, filled sheet by sheet, closed with saving into its own
    // file and format.
    void openFillSaveClose()
    {
        const QString source = dir.filePath(QStringLiteral("three.fods"));
        const QString xls = dir.filePath(QStringLiteral("Декларация 1.xls"));
        QVERIFY(writeFlatSpreadsheet(source, {{QStringLiteral("Титул"), {{QStringLiteral("{INN}"), QStringLiteral("x")}}},
                                              {QStringLiteral("Лист2"), {{QStringLiteral("a {INN} b")}}},
                                              {QStringLiteral("Лист3"), {{QStringLiteral("c")}}}}));
        {
            auto calc = startCalc();
            QVERIFY(calc);
            calc->workbooksOpen(source);
            QVERIFY(!calc->activeWorkbookUnsaved());
            calc->activateSheet(QStringLiteral("лист3"));
            QCOMPARE(activeSheetName(*calc), QStringLiteral("Лист3"));
            calc->activeWorkbookSaveAs(xls);
            QVERIFY(!calc->activeWorkbookUnsaved());
            calc->quit();
            QVERIFY(!processAlive(processId(*calc)));
        }
        // Quitting leaves no lock file beside the workbook.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({QStringLiteral("three.fods"), QStringLiteral("Декларация 1.xls")}));
        QFile file(xls);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(8).toHex(), QByteArray("d0cf11e0a1b11ae1")); // a compound document: Excel 97-2003

        auto calc = startCalc();
        QVERIFY(calc);
        calc->workbooksOpen(xls);
        calc->activateSheet(QStringLiteral("Титул"));
        calc->rangeReplace(QStringLiteral("A1:DN79"), QStringLiteral("{inn}"), QStringLiteral("'0012"));
        calc->activateSheet(QStringLiteral("Лист2"));
        calc->rangeReplace(QStringLiteral("A1:DN79"), QStringLiteral("{INN}"), QStringLiteral("7"));
        calc->setRangeText(QStringLiteral("B1"), QStringLiteral("=1/4"));
        try {
            calc->activateSheet(QStringLiteral("Лист4"));
            QFAIL("a missing sheet was activated");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid index"));
        }
        QVERIFY(calc->activeWorkbookUnsaved());
        calc->activeWorkbookClose(true);
        try {
            calc->setRangeText(QStringLiteral("A1"), QStringLiteral("x"));
            QFAIL("a closed workbook was written");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("There is no active workbook"));
        }
        calc->workbooksOpen(xls);
        calc->activateSheet(QStringLiteral("Титул"));
        QCOMPARE(cellKind(*calc, QStringLiteral("A1")), Kind::Text);
        QCOMPARE(cellString(*calc, QStringLiteral("A1")), QStringLiteral("0012"));
        QCOMPARE(cellString(*calc, QStringLiteral("B1")), QStringLiteral("x"));
        calc->activateSheet(QStringLiteral("Лист2"));
        QCOMPARE(cellString(*calc, QStringLiteral("A1")), QStringLiteral("a 7 b"));
        QCOMPARE(cellValue(*calc, QStringLiteral("B1")), 0.25);
        file.seek(0);
        QCOMPARE(file.read(8).toHex(), QByteArray("d0cf11e0a1b11ae1"));

        // A workbook that another office has open (its lock file beside it)
        // opens, but saving it fails with a message instead of silently.
        calc->activeWorkbookClose(false);
        {
            QFile lock(dir.filePath(QStringLiteral(".~lock.Декларация 1.xls#")));
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write("Somebody,host,host,10.12.2026 05:00,file:///home/somebody/.config/libreoffice/4;");
        }
        calc->workbooksOpen(xls);
        calc->setRangeText(QStringLiteral("Z9"), QStringLiteral("x"));
        try {
            calc->activeWorkbookClose(true);
            QFAIL("a locked workbook was saved");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot save the workbook \"%1\"").arg(xls));
        }

        try {
            calc->workbooksOpen(dir.filePath(QStringLiteral("missing.xls")));
            QFAIL("a missing file was opened");
        } catch (const OrvelError &e) {
            QVERIFY(e.message().contains(QStringLiteral("missing.xls")));
        }
    }

    // Quitting ends the office even with an unsaved workbook; releasing an
    // object that was never asked to quit ends it too; calls after the end
    // fail with a clear message.
    void processEnds()
    {
        auto calc = startCalc();
        QVERIFY(calc);
        const long long pid = processId(*calc);
        QVERIFY(processAlive(pid));
        calc->workbooksAdd();
        calc->setRangeText(QStringLiteral("A1"), QStringLiteral("unsaved"));
        calc->quit();
        QVERIFY(!processAlive(pid));
        QCOMPARE(processId(*calc), 0LL);
        try {
            calc->workbooksAdd();
            QFAIL("a call after quitting succeeded");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("LibreOffice Calc is no longer running"));
        }

        calc = startCalc();
        QVERIFY(calc);
        const long long second = processId(*calc);
        calc->workbooksAdd();
        calc.reset();
        QVERIFY(!processAlive(second));
    }

    // An office that stops answering is killed when asked to quit, after
    // a time limit (15 seconds).
    void hungOfficeIsKilled()
    {
        auto calc = startCalc();
        QVERIFY(calc);
        calc->workbooksAdd();
        const long long pid = processId(*calc);
        ::kill(-pid_t(pid), SIGSTOP);
        QElapsedTimer clock;
        clock.start();
        calc->quit();
        QVERIFY(clock.elapsed() < 25000);
        QVERIFY(!processAlive(pid));
    }

    // An office that dies under the program: the next call says so.
    void officeKilled()
    {
        auto calc = startCalc();
        QVERIFY(calc);
        calc->workbooksAdd();
        ::kill(-pid_t(processId(*calc)), SIGKILL); // the office's whole process group
        QTest::qWait(300);
        try {
            calc->rangeSelect(QStringLiteral("A1"));
            QFAIL("a call into a dead office succeeded");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("LibreOffice Calc is no longer running"));
        }
        calc.reset();
    }
};

QTEST_GUILESS_MAIN(TestLibreOfficeCalc)
#include "test_libreoffice_calc.moc"
