// The loan payment schedule built in a real LibreOffice Calc, saved and read
// back; the failures that stop the export after the office has started.
#include "calc/Schedule.h"
#include "CalcTestSupport.h"
#include "GuiTest.h"
#include "office/LibreOfficeTesting.h"
#include "ui/FileDialogs.h"
#include "ui/main/ScheduleExport.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using orvel::LibreOfficeCalc;
using namespace orveltest;

namespace {
// Hands the export an office the test keeps: every call goes to it except
// the quit, and the workbook counts as saved, so the test reads the sheet
// the export wrote from the same office.
class OfficeLeftOpen : public orvel::SpreadsheetApp {
public:
    explicit OfficeLeftOpen(LibreOfficeCalc *calc) : m_calc(calc) {}
    void workbooksOpen(const QString &p) override { m_calc->workbooksOpen(p); }
    void workbooksAdd() override { m_calc->workbooksAdd(); }
    void activateSheet(const QString &n) override { m_calc->activateSheet(n); }
    void rangeReplace(const QString &r, const QString &w, const QString &x) override { m_calc->rangeReplace(r, w, x); }
    void setRangeText(const QString &c, const QString &t) override { m_calc->setRangeText(c, t); }
    void setRangeInt(const QString &c, int v) override { m_calc->setRangeInt(c, v); }
    void rangeSelect(const QString &r) override { m_calc->rangeSelect(r); }
    void selectionMergeCells() override { m_calc->selectionMergeCells(); }
    void selectionWrapText() override { m_calc->selectionWrapText(); }
    void activeWorkbookClose(bool s) override { m_calc->activeWorkbookClose(s); }
    void quit() override {}
    bool activeWorkbookUnsaved() override { return false; }
    void activeWorkbookSaveAs(const QString &p) override { m_calc->activeWorkbookSaveAs(p); }

private:
    LibreOfficeCalc *m_calc;
};

const QString kSaved = QStringLiteral("График платежей сохранен в файле");
const QString kNotSaved = QStringLiteral("График платежей не сохранен");
} // namespace

class TestScheduleLibreOffice : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir dir;
    QString answer;

    // Runs the export with the three field texts; the save dialog answers
    // `answer`. Returns the error message, or an empty text.
    QString exportWith(const QString &amount, const QString &rate, const QString &term)
    {
        w.form1->Label15->setText(QStringLiteral("before"));
        try {
            orvel::exportSchedule(*w.form1, {amount, rate, term, amount.toDouble(), term.toDouble()});
        } catch (const OrvelError &e) {
            return e.message();
        }
        return QString();
    }

    static std::unique_ptr<LibreOfficeCalc> openSaved(const QString &path)
    {
        std::unique_ptr<LibreOfficeCalc> calc = LibreOfficeCalc::start();
        calc->workbooksOpen(path);
        return calc;
    }

private slots:
    void initTestCase()
    {
        const QString missing = orvel::libreOfficeUnavailableReason();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        QVERIFY(dir.isValid());
        w = orvel::createOrvelWindows();
        orvel::setFileDialogHook([this](const orvel::FileDialogRequest &) { return answer; });
    }
    void cleanupTestCase()
    {
        orvel::setFileDialogHook({});
        orvel::destroyOrvelWindows(w);
    }

    // Twelve months: the sheet's formulas compute the schedule.
    void twelveMonths()
    {
        answer = dir.filePath(QStringLiteral("График 12.xls"));
        QCOMPARE(exportWith(QStringLiteral("120000"), QStringLiteral("12"), QStringLiteral("12")), QString());
        QCOMPARE(w.form1->Label15->text(), kSaved);
        QCOMPARE(childProcesses(), QList<int>()); // the office has quit

        auto calc = openSaved(answer);
        QCOMPARE(cellString(*calc, QStringLiteral("A1")),
                 QStringLiteral("График составлен программой Orvel http://www.kestrin.example/"));
        for (const char *area : {"A1:E1", "A2:B2", "C2:D2", "A3:B3", "C3:D3", "A4:B4", "C4:D4"})
            QVERIFY2(isMerged(*calc, QString::fromLatin1(area)), area);
        QVERIFY(!isMerged(*calc, QStringLiteral("A6:E6")));
        QVERIFY(isWrapped(*calc, QStringLiteral("D6")));
        QCOMPARE(cellString(*calc, QStringLiteral("A3")), QStringLiteral("Срок кредита (мес):"));
        QCOMPARE(cellValue(*calc, QStringLiteral("C2")), 120000.0);
        QCOMPARE(cellValue(*calc, QStringLiteral("C3")), 12.0);
        QCOMPARE(cellValue(*calc, QStringLiteral("C4")), 12.0);
        QCOMPARE(cellString(*calc, QStringLiteral("E6")), QStringLiteral("Проценты(B):"));

        QCOMPARE(cellFormula(*calc, QStringLiteral("A18")), QStringLiteral("=18-6"));
        QCOMPARE(cellValue(*calc, QStringLiteral("A18")), 12.0);
        QCOMPARE(cellFormula(*calc, QStringLiteral("B18")), QStringLiteral("=C2-(C2/C3)*(18-7)"));
        QCOMPARE(cellValue(*calc, QStringLiteral("B18")), 10000.0); // the amount less 11 twelfths
        QCOMPARE(cellValue(*calc, QStringLiteral("B7")), 120000.0);
        QCOMPARE(cellFormula(*calc, QStringLiteral("C18")), QStringLiteral("=C2/C3"));
        QCOMPARE(cellFormula(*calc, QStringLiteral("D18")), QStringLiteral("=C2/C3+C4*0.01*30/365*B18"));
        QCOMPARE(cellFormula(*calc, QStringLiteral("E18")), QStringLiteral("=C4*0.01*30/365*B18"));
        QCOMPARE(cellValue(*calc, QStringLiteral("E7")), 120000 * 0.12 * 30 / 365);
        QCOMPARE(cellValue(*calc, QStringLiteral("D18")), 10000 + 10000 * 0.12 * 30 / 365);
        QCOMPARE(cellKind(*calc, QStringLiteral("A19")), orvel::CellKind::Empty);
    }

    // A negative term: the title, the input block and the headings, no rows;
    // the schedule not saved when the dialog is cancelled.
    void negativeTerm()
    {
        answer = dir.filePath(QStringLiteral("minus3.xls"));
        QCOMPARE(exportWith(QStringLiteral("1000"), QStringLiteral("10"), QStringLiteral("-3")), QString());
        QCOMPARE(w.form1->Label15->text(), kSaved);
        auto calc = openSaved(answer);
        QCOMPARE(cellString(*calc, QStringLiteral("C3")), QStringLiteral("-3"));
        QCOMPARE(cellString(*calc, QStringLiteral("A6")), QStringLiteral("№"));
        QCOMPARE(cellKind(*calc, QStringLiteral("A7")), orvel::CellKind::Empty);
        calc.reset();

        answer.clear();
        QCOMPARE(exportWith(QStringLiteral("1000"), QStringLiteral("10"), QStringLiteral("-3")), QString());
        QCOMPARE(w.form1->Label15->text(), kNotSaved);
        QCOMPARE(childProcesses(), QList<int>());
    }

    // The loan tab's button with differentiated payments checked, and the
    // save dialog as a person answers it: a name typed without its suffix.
    void throughTheButtonAndDialog()
    {
        orvel::setFileDialogHook({});
        ModalWatcher boxes([this](QWidget *modal) {
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                QCOMPARE(dialog->objectName(), QStringLiteral("SaveDialog1"));
                QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("Книга Excel 97-2003 (*.xls)")});
                dialog->selectFile(dir.filePath(QStringLiteral("из диалога")));
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
        w.form1->Edit7->setText(QStringLiteral("36000"));
        w.form1->Edit8->setText(QStringLiteral("12"));
        w.form1->Edit9->setText(QStringLiteral("36"));
        w.form1->RadioButton8->setChecked(true);
        w.form1->Label15->clear();
        QTest::mouseClick(w.form1->Button5, Qt::LeftButton);
        w.form1->RadioButton7->setChecked(true);
        orvel::setFileDialogHook([this](const orvel::FileDialogRequest &) { return answer; });
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(w.form1->Label15->text(), kSaved);

        auto calc = openSaved(dir.filePath(QStringLiteral("из диалога.xls")));
        QCOMPARE(cellValue(*calc, QStringLiteral("A42")), 36.0);
        QCOMPARE(cellValue(*calc, QStringLiteral("B42")), 1000.0);
        QCOMPARE(cellValue(*calc, QStringLiteral("C42")), 1000.0);
    }

    // A month cell the office refuses ends the export in its column: the
    // message names that cell (not the next column's first), and the rows
    // written before it stay written in the office the export keeps.
    void refusedMonthCell()
    {
        KeptOffice office;
        RefusedCell refused(QStringLiteral("C100"));
        QCOMPARE(exportWith(QStringLiteral("360000"), QStringLiteral("12"), QStringLiteral("360")),
                 QStringLiteral("Cannot write to the range \"C100\""));
        QCOMPARE(w.form1->Label15->text(), QStringLiteral("before"));
        QVERIFY(office.last);
        orvel::LibreOfficeCalc &calc = *office.last;
        QCOMPARE(cellFormula(calc, QStringLiteral("A366")), QStringLiteral("=366-6"));
        QCOMPARE(cellFormula(calc, QStringLiteral("B366")), QStringLiteral("=C2-(C2/C3)*(366-7)"));
        QCOMPARE(cellFormula(calc, QStringLiteral("C99")), QStringLiteral("=C2/C3"));
        QCOMPARE(cellKind(calc, QStringLiteral("C100")), orvel::CellKind::Empty);
        QCOMPARE(cellKind(calc, QStringLiteral("D7")), orvel::CellKind::Empty);
    }

    // Failures after the office has started: it stays running with its
    // workbook until the next export replaces it.
    void failuresAfterStart_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("message");
        QTest::newRow("term 0") << "12" << "0" << "Floating point division by zero";
        QTest::newRow("rate 12,5") << "12,5" << "12" << "''12,5'' is not a valid integer value";
    }
    void failuresAfterStart()
    {
        QFETCH(QString, rate);
        QFETCH(QString, term);
        QFETCH(QString, message);
        QCOMPARE(exportWith(QStringLiteral("1000"), rate, term), message);
        QCOMPARE(w.form1->Label15->text(), QStringLiteral("before"));
        QCOMPARE(childProcesses().size(), 1);
    }

    // The next export releases the office the failed one left running.
    void nextExportReleasesIt()
    {
        QCOMPARE(childProcesses().size(), 1);
        answer = dir.filePath(QStringLiteral("one.xls"));
        QCOMPARE(exportWith(QStringLiteral("500"), QStringLiteral("7"), QStringLiteral("1")), QString());
        QCOMPARE(childProcesses(), QList<int>());
    }

    // The schedule window's differentiated rows against the sheet's formulas
    // for the same loan, in one office. The window keeps whole kopecks, so a
    // row may differ from the formulas only by the rounding of the principal
    // part carried so far (half a kopeck a month) and its own rounding.
    void differentiatedRowsMatchTheSheet()
    {
        std::unique_ptr<LibreOfficeCalc> calc = LibreOfficeCalc::start();
        orvel::setSpreadsheetFactory([&](const QString &) { return std::make_unique<OfficeLeftOpen>(calc.get()); });
        const QString error = exportWith(QStringLiteral("100000"), QStringLiteral("13"), QStringLiteral("37"));
        orvel::setSpreadsheetFactory({});
        QCOMPARE(error, QString());
        QCOMPARE(w.form1->Label15->text(), kSaved);

        const orvel::LoanSchedule s =
            orvel::loanSchedule({100000, 13, 37, orvel::Repayment::Differentiated, {}});
        QCOMPARE(int(s.rows.size()), 37);
        const double k = 13 * 0.01 * 30 / 365; // the sheet's interest factor
        const double slack = 1e-6;
        for (const orvel::ScheduleRow &r : s.rows) {
            const int m = r.month;
            const auto sheet = [&](char column) {
                return cellValue(*calc, QStringLiteral("%1%2").arg(QLatin1Char(column)).arg(m + 6)) * 100;
            };
            const double carried = 0.5 * (m - 1);
            const QByteArray where = QByteArray("month ") + QByteArray::number(m);
            QCOMPARE(sheet('A'), 100.0 * m);
            QVERIFY2(std::fabs(r.debtBefore - sheet('B')) <= carried + slack, where);
            QVERIFY2(std::fabs(r.principal - sheet('C')) <= 0.5 * m + slack, where);
            QVERIFY2(std::fabs(r.interest - sheet('E')) <= 0.5 + carried * k + slack, where);
            QVERIFY2(std::fabs(r.payment - sheet('D')) <= 0.5 * m + 0.5 + carried * k + slack, where);
        }
        // The rounding does carry: 2702,70 a month against 2702,7027..., so
        // the last month pays 2702,80.
        QCOMPARE(s.rows.front().principal, std::int64_t(270270));
        QCOMPARE(s.rows.back().principal, std::int64_t(270280));
        calc->quit();
        calc.reset();
        QCOMPARE(childProcesses(), QList<int>());
    }
};

QTEST_MAIN(TestScheduleLibreOffice)
#include "test_schedule_libreoffice.moc"
