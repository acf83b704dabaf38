// The loan payment schedule as the spreadsheet application receives it: the
// whole transcript of an export, and where each failure stops it.
#include "GuiTest.h"
#include "RecordingSpreadsheet.h"
#include "ui/FileDialogs.h"
#include "ui/main/ScheduleExport.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>


using namespace orveltest;

namespace {
const QString kSaved = QStringLiteral("График платежей сохранен в файле");
const QString kNotSaved = QStringLiteral("График платежей не сохранен");
const QString kBefore = QStringLiteral("before");

} // namespace

class TestScheduleExport : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QList<orvel::FileDialogRequest> dialogs;
    QString dialogAnswer;

    void setInputs(const QString &amount, const QString &rate, const QString &term)
    {
        w.form1->Edit7->setText(amount);
        w.form1->Edit8->setText(rate);
        w.form1->Edit9->setText(term);
        w.form1->Label15->setText(kBefore);
        dialogs.clear();
    }

    // The fields as the loan tab passes them: the texts typed, and the amount
    // and the term as the calculation read them.
    orvel::LoanScheduleFields typed(double amount, double term) const
    {
        return {w.form1->Edit7->text(), w.form1->Edit8->text(), w.form1->Edit9->text(), amount, term};
    }

private slots:
    void initTestCase()
    {
        w = orvel::createOrvelWindows();
        orvel::setFileDialogHook([this](const orvel::FileDialogRequest &r) {
            dialogs << r;
            return dialogAnswer;
        });
    }
    void cleanupTestCase()
    {
        orvel::setFileDialogHook({});
        orvel::destroyOrvelWindows(w);
    }

    // Term 2: every call in order; the unsaved schedule is offered for
    // saving before the application quits.
    void transcript()
    {
        SpreadsheetLog log;
        RecordingScope scope(log);
        setInputs(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("2"));
        dialogAnswer = QStringLiteral("/tmp/График.xls");
        orvel::exportSchedule(*w.form1, typed(100000, 2));

        const QStringList expected{
            "create Excel.Application",
            "Workbooks.Add",
            "Range(A1:E1).Select",
            "Selection.MergeCells := True",
            "Range(A1) := \"График составлен программой Orvel http://www.kestrin.example/\"",
            "Range(A2:B2).Select",
            "Selection.MergeCells := True",
            "Range(A2) := \"Сумма кредита:\"",
            "Range(C2:D2).Select",
            "Selection.MergeCells := True",
            "Range(C2) := \"100000\"",
            "Range(A3:B3).Select",
            "Selection.MergeCells := True",
            "Range(A3) := \"Срок кредита (мес):\"",
            "Range(C3:D3).Select",
            "Selection.MergeCells := True",
            "Range(C3) := \"2\"",
            "Range(A4:B4).Select",
            "Selection.MergeCells := True",
            "Range(A4) := \"Процентная ставка:\"",
            "Range(C4:D4).Select",
            "Selection.MergeCells := True",
            "Range(C4) := \"12\"",
            "Range(A6) := \"№\"",
            "Range(B6) := \"Остаток долга:\"",
            "Range(C6) := \"Основной платеж (A):\"",
            "Range(D6) := \"Ежемесячный платеж (A+B):\"",
            "Range(E6) := \"Проценты(B):\"",
            "Range(A6:E6).Select",
            "Selection.WrapText := True",
            "Range(A7) := \"=7-6\"",
            "Range(A8) := \"=8-6\"",
            "Range(B7) := \"=C2-(C2/C3)*(7-7)\"",
            "Range(B8) := \"=C2-(C2/C3)*(8-7)\"",
            "Range(C7) := \"=C2/C3\"",
            "Range(C8) := \"=C2/C3\"",
            "Range(D7) := \"=C2/C3+C4*0.01*30/365*B7\"",
            "Range(D8) := \"=C2/C3+C4*0.01*30/365*B8\"",
            "Range(E7) := \"=C4*0.01*30/365*B7\"",
            "Range(E8) := \"=C4*0.01*30/365*B8\"",
            "ActiveWorkbook.SaveAs(/tmp/График.xls)",
            "Application.Quit",
        };
        QCOMPARE(log.calls, expected);
        QCOMPARE(w.form1->Label15->text(), kSaved);

        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs[0].kind, orvel::FileDialogRequest::Save);
        QCOMPARE(dialogs[0].filter, QStringLiteral("Книга Excel 97-2003|*.xls"));
        QCOMPARE(dialogs[0].defaultSuffix, QStringLiteral("xls"));
    }

    // The end of the export: the save offer and the message, and the rows
    // for terms below 1.
    void ending_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<QString>("label");
        const QString wrap = QStringLiteral("Selection.WrapText := True");
        const QString quit = QStringLiteral("Application.Quit");
        QTest::newRow("cancelled") << "1" << true << ""
                                   << QStringList{"Range(E7) := \"=C4*0.01*30/365*B7\"", quit} << kNotSaved;
        QTest::newRow("saved already") << "1" << false << "/never/asked.xls"
                                       << QStringList{"Range(E7) := \"=C4*0.01*30/365*B7\"", quit} << kSaved;
        QTest::newRow("term -3: no rows") << "-3" << true << "/tmp/s.xls"
                                          << QStringList{wrap, "ActiveWorkbook.SaveAs(/tmp/s.xls)", quit} << kSaved;
        QTest::newRow("hexadecimal term") << "$1" << true << ""
                                                  << QStringList{"Range(E7) := \"=C4*0.01*30/365*B7\"", quit}
                                                  << kNotSaved;
    }
    void ending()
    {
        QFETCH(QString, term);
        QFETCH(bool, unsaved);
        QFETCH(QString, answer);
        QFETCH(QStringList, tail);
        QFETCH(QString, label);
        SpreadsheetLog log;
        log.unsaved = unsaved;
        RecordingScope scope(log);
        setInputs(QStringLiteral("1200"), QStringLiteral("10"), term);
        dialogAnswer = answer;
        orvel::exportSchedule(*w.form1, typed(1200, term == QLatin1String("-3") ? -3 : 1));
        QCOMPARE(log.calls.mid(log.calls.size() - tail.size()), tail);
        QCOMPARE(dialogs.size(), unsaved ? 1 : 0);
        QCOMPARE(w.form1->Label15->text(), label);
    }

    // The first failure ends the export: what was called before it stays
    // done, nothing after it happens, and the label keeps its text.
    void failures_data()
    {
        QTest::addColumn<QString>("amountText");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<QString>("termText");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("term");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("calls");
        const QString create = QStringLiteral("create Excel.Application");
        const QString add = QStringLiteral("Workbooks.Add");
        QTest::newRow("no application")
            << "1000" << "12" << "12" << 1000.0 << 12.0 << "create"
            << "LibreOffice Calc is not installed, ProgID: \"Excel.Application\"" << QStringList{create};
        QTest::newRow("term not integer") << "1000" << "12" << "12,5" << 1000.0 << 12.5 << ""
                                          << "''12,5'' is not a valid integer value" << QStringList{create, add};
        QTest::newRow("amount with decimals") << "1000,5" << "12" << "12" << 1000.5 << 12.0 << ""
                                              << "''1000,5'' is not a valid integer value"
                                              << QStringList{create, add};
        QTest::newRow("rate 12,5") << "1000" << "12,5" << "12" << 1000.0 << 12.0 << ""
                                   << "''12,5'' is not a valid integer value" << QStringList{create, add};
        QTest::newRow("term checked first") << "1e3" << "12,5" << "12.0" << 1000.0 << 12.0 << ""
                                            << "''12.0'' is not a valid integer value" << QStringList{create, add};
        QTest::newRow("amount before rate") << " 1e3" << "12,5" << "12" << 1000.0 << 12.0 << ""
                                            << "'' 1e3'' is not a valid integer value" << QStringList{create, add};
        QTest::newRow("term 0") << "1000" << "12" << "0" << 1000.0 << 0.0 << ""
                                << "Floating point division by zero" << QStringList{create, add};
        QTest::newRow("term 0, amount 0") << "0" << "12" << "0" << 0.0 << 0.0 << ""
                                          << "Invalid floating point operation" << QStringList{create, add};
        QTest::newRow("workbook") << "1000" << "12" << "12" << 1000.0 << 12.0 << "Workbooks.Add"
                                  << "Fake failure" << QStringList{create, add};
        QTest::newRow("merge") << "1000" << "12" << "12" << 1000.0 << 12.0 << "Selection.MergeCells"
                               << "Fake failure"
                               << QStringList{create, add, "Range(A1:E1).Select", "Selection.MergeCells := True"};
    }
    void failures()
    {
        QFETCH(QString, amountText);
        QFETCH(QString, rateText);
        QFETCH(QString, termText);
        QFETCH(double, amount);
        QFETCH(double, term);
        QFETCH(QString, failOn);
        QFETCH(QString, message);
        QFETCH(QStringList, calls);
        SpreadsheetLog log;
        log.failOn = failOn;
        if (failOn == QLatin1String("create"))
            log.failMessage = message;
        RecordingScope scope(log);
        setInputs(amountText, rateText, termText);
        try {
            orvel::exportSchedule(*w.form1, typed(amount, term));
            QFAIL("the export went through");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(log.calls, calls);
        QCOMPARE(w.form1->Label15->text(), kBefore);
        QVERIFY(dialogs.isEmpty());
    }

    // A failure among the month rows: the columns written so far stay, and
    // neither the save offer nor the quit request happens.
    void failureInRows()
    {
        SpreadsheetLog log;
        log.failOn = QStringLiteral("Range(B8)");
        RecordingScope scope(log);
        setInputs(QStringLiteral("100"), QStringLiteral("5"), QStringLiteral("3"));
        QVERIFY_THROWS_EXCEPTION(OrvelError, orvel::exportSchedule(*w.form1, typed(100, 3)));
        const QStringList tail{"Selection.WrapText := True",          "Range(A7) := \"=7-6\"",
                               "Range(A8) := \"=8-6\"",               "Range(A9) := \"=9-6\"",
                               "Range(B7) := \"=C2-(C2/C3)*(7-7)\"", "Range(B8) := \"=C2-(C2/C3)*(8-7)\""};
        QCOMPARE(log.calls.mid(log.calls.size() - tail.size()), tail);
        QVERIFY(!log.calls.contains(QStringLiteral("Application.Quit")));
        QCOMPARE(w.form1->Label15->text(), kBefore);
    }

    // Each export keeps its application object until the next one replaces
    // it; a failed export's object stays too.
    void objectKeptUntilNextExport()
    {
        SpreadsheetLog log;
        RecordingScope scope(log);
        setInputs(QStringLiteral("100"), QStringLiteral("5"), QStringLiteral("0"));
        QVERIFY_THROWS_EXCEPTION(OrvelError, orvel::exportSchedule(*w.form1, typed(100, 0)));
        QCOMPARE(log.created, 1);
        QCOMPARE(log.destroyed, 0);
        w.form1->Edit9->setText(QStringLiteral("1"));
        dialogAnswer.clear();
        orvel::exportSchedule(*w.form1, typed(100, 1));
        QCOMPARE(log.created, 2);
        QCOMPARE(log.destroyed, 1);
    }

    // Without LibreOffice the creation fails with the reason and the
    // program identifier, and nothing else happens.
    void noLibreOffice()
    {
        const QByteArray old = qgetenv("ORVEL_LIBREOFFICE_PROGRAM");
        qputenv("ORVEL_LIBREOFFICE_PROGRAM", "/nonexistent/libreoffice/program");
        setInputs(QStringLiteral("100"), QStringLiteral("5"), QStringLiteral("1"));
        try {
            orvel::exportSchedule(*w.form1, typed(100, 1));
            QFAIL("the export went through");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("LibreOffice Calc is not installed, ProgID: \"Excel.Application\""));
        }
        qputenv("ORVEL_LIBREOFFICE_PROGRAM", old);
        QCOMPARE(w.form1->Label15->text(), kBefore);
    }

    // Through the loan tab's button with differentiated payments checked.
    void fromTheButton()
    {
        SpreadsheetLog log;
        RecordingScope scope(log);
        LocaleScope locale(commaLocale());
        setInputs(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("1"));
        w.form1->Label16->setText(QStringLiteral("kept"));
        dialogAnswer.clear();
        w.form1->RadioButton8->setChecked(true);
        w.form1->Button5Click();
        QCOMPARE(log.calls.first(), QStringLiteral("create Excel.Application"));
        QCOMPARE(log.calls.last(), QStringLiteral("Application.Quit"));
        QCOMPARE(w.form1->Label15->text(), kNotSaved);
        QCOMPARE(w.form1->Label16->text(), QStringLiteral("kept"));
        w.form1->RadioButton7->setChecked(true);
    }
};

QTEST_MAIN(TestScheduleExport)
#include "test_schedule_export.moc"
