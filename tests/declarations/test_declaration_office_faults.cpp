// The VAT declaration when the spreadsheet application fails under it: the
// user reads what went wrong, the copied template stays where it was asked
// for, and no office process outlives the window.
#include "calc/Paths.h"
#include "CalcTestSupport.h"
#include "declarations/DeclarationStep.h"
#include "GuiTest.h"
#include "office/LibreOfficeTesting.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnds.h"
#include "ui/FileDialogs.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>

using namespace orveltest;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The office processes this program started and that still exist: the
// guards and the offices, found by the pipe name on their command line.
QList<int> ourOffices()
{
    QList<int> found;
    const QByteArray mark = "orvel_calc_" + QByteArray::number(::getpid()) + '_';
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(mark))
            found << pid;
    }
    return found;
}

// Waits until the process has ended (a zombie not reaped yet counts as
// ended: reaping it is the program's business).
bool waitEnded(int pid, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray text = stat.readAll();
        const int close = text.lastIndexOf(')');
        if (close < 0 || text.mid(close + 2, 1) == "Z")
            return true;
        QThread::msleep(10);
    }
    return false;
}

} // namespace

class TestDeclarationOfficeFaults : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir dir;
    QString answer;
    QString templ;

    // The window filled as a user would before pressing the button.
    void fill()
    {
        Tnds *f = w.nds;
        f->show();
        f->Edit1->setText(QStringLiteral("СИДОРОВ"));
        f->Edit2->setText(QStringLiteral("ПЁТР"));
        f->Edit3->setText(QStringLiteral("АЛЕКСАНДРОВИЧ"));
        f->inn->setText(QStringLiteral("771234567890"));
        f->god->setText(QStringLiteral("2010"));
        f->fns->setText(QStringLiteral("7701"));
        f->kbk->setText(QStringLiteral("18210301000011000110"));
    }

private slots:
    void initTestCase()
    {
        const QString missing = orvel::libreOfficeUnavailableReason();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        templ = orvel::programFolder() + QStringLiteral("/shablon/nds.xls");
        if (!QFileInfo::exists(templ))
            QSKIP("the templates are not beside the program");
        QVERIFY(dir.isValid());
        orvel::setFileDialogHook([this](const orvel::FileDialogRequest &) { return answer; });
    }
    void cleanupTestCase() { orvel::setFileDialogHook({}); }

    void init() { w = orvel::createOrvelWindows(); }
    void cleanup()
    {
        qunsetenv("ORVEL_LIBREOFFICE_PROGRAM");
        orvel::destroyOrvelWindows(w);
        // Nothing of the offices outlives the window.
        QCOMPARE(childProcesses(), QList<int>());
        QCOMPARE(ourOffices(), QList<int>());
    }

    // The office dies in the middle of the run: the next call that needs it
    // fails with a message, the target keeps what was saved (the copied
    // template: nothing was saved yet), the progress keeps its last step.
    // It runs first on purpose: this process sets up its UNO runtime once,
    // from the office folder of the first start, which has to be the
    // installed office and not one of the stand-in folders below.
    void officeKilled()
    {
        ModalWatcher boxes;
        fill();
        answer = dir.filePath(QStringLiteral("убит.xls"));
        QList<int> values;
        QList<int> killed;
        QObject::connect(w.nds->ProgressBar1, &QProgressBar::valueChanged, w.nds, [&](int value) {
            values << value;
            if (value != 30)
                return;
            for (int guard : childProcesses()) {
                ::kill(-pid_t(guard), SIGKILL); // the office's whole process group
                killed << guard;
            }
            for (int guard : killed)
                QVERIFY(waitEnded(guard, 5000));
        });
        click(w.nds, "Button1");
        QCOMPARE(killed.size(), 1);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("LibreOffice Calc is no longer running.")});
        QCOMPARE(fileBytes(answer), fileBytes(templ));
        QVERIFY(!values.isEmpty());
        QCOMPARE(w.nds->ProgressBar1->value(), values.last());
        QVERIFY2(values.last() >= 30 && values.last() < 100, qPrintable(QString::number(values.last())));
        qInfo("progress at the error: %d", values.last());
    }

    // A write the office refuses ends the run at the step that made it: the
    // message names that cell, the progress bar keeps that step's value,
    // and the cells written before it stay written (the workbook stays open,
    // unsaved, in the office the window keeps).
    void refusedLetterCell()
    {
        ModalWatcher boxes;
        fill(); // the seventh and last letter of "СИДОРОВ" goes to S16
        answer = dir.filePath(QStringLiteral("отказ.xls"));
        KeptOffice office;
        RefusedCell refused(QStringLiteral("S16"));
        click(w.nds, "Button1");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Cannot write to the range \"S16\"")});
        QCOMPARE(w.nds->ProgressBar1->value(), 40);
        QVERIFY(office.last);
        orvel::LibreOfficeCalc &calc = *office.last;
        QCOMPARE(activeSheetName(calc), QStringLiteral("стр.1"));
        const QString written = QStringLiteral("СИДОРО");
        for (int k = 1; k <= written.size(); ++k)
            QCOMPARE(cellString(calc, orvel::columnName(3 * k - 2) + QStringLiteral("16")), QString(written[k - 1]));
        QCOMPARE(cellString(calc, QStringLiteral("S16")), QString());
        QCOMPARE(cellString(calc, QStringLiteral("A18")), QString());
        QCOMPARE(fileBytes(answer), fileBytes(templ));
    }

    // The office refuses the cell of one placeholder: the one pass over the
    // sheet falls back to one search per placeholder, that placeholder alone
    // stays, and the run goes on to its success.
    void refusedPlaceholderCell()
    {
        const QString copy = dir.filePath(QStringLiteral("шаблон.xls"));
        QVERIFY(QFile::copy(templ, copy));
        QString cell;
        {
            auto calc = orvel::LibreOfficeCalc::start();
            calc->workbooksOpen(copy);
            calc->activateSheet(QStringLiteral("стр.2"));
            const QStringList found = findCells(*calc, QStringLiteral("A1:DN79"), QStringLiteral("АО5&"));
            QCOMPARE(found.size(), 1);
            cell = found.first();
        }
        ModalWatcher boxes;
        fill();
        w.nds->okato->setText(QStringLiteral("45286555000"));
        answer = dir.filePath(QStringLiteral("отказ в замене.xls"));
        KeptOffice office;
        {
            RefusedCell refused(cell);
            click(w.nds, "Button1");
        }
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Декларация успешно сформирована!")});
        // The 43 placeholders of "стр.2" went one by one, the 69 of the other sheets in one pass.
        QCOMPARE(replaceCounts(*office.last).eachCall, 43);
        QCOMPARE(replaceCounts(*office.last).onePass, 69);

        auto calc = orvel::LibreOfficeCalc::start();
        calc->workbooksOpen(answer);
        for (const char *sheet : {"стр.1", "стр.2", "стр.4"}) {
            calc->activateSheet(QString::fromUtf8(sheet));
            const QStringList left = findCells(*calc, QStringLiteral("A1:DN79"), QStringLiteral("&"));
            QCOMPARE(left, QString::fromUtf8(sheet) == QStringLiteral("стр.2") ? QStringList{cell} : QStringList());
        }
        calc->activateSheet(QStringLiteral("стр.2"));
        QCOMPARE(cellString(*calc, cell), QStringLiteral("АО5&"));
    }

    // The office can't be started: the error names the program identifier
    // asked for (the box adds no full stop after its closing quote), the
    // template copy stays, the run stops at its first step.
    void officeMissing_data()
    {
        QTest::addColumn<QString>("install");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty folder") << "empty"
                                      << "LibreOffice Calc is not installed, ProgID: \"Excel.Application\"";
        QTest::newRow("office exits at once")
            << "exits" << "LibreOffice Calc could not be started, ProgID: \"Excel.Application\"";
        // An office that starts and never answers: the connect limit (30 s)
        // ends the wait, and the hung process is killed.
        QTest::newRow("office hangs at start")
            << "hangs" << "LibreOffice Calc did not answer in 30 seconds, ProgID: \"Excel.Application\"";
    }
    void officeMissing()
    {
        QFETCH(QString, install);
        QFETCH(QString, message);
        QTemporaryDir program;
        QVERIFY(program.isValid());
        if (install != QLatin1String("empty")) {
            // The installed office's files, but an office program that ends
            // at once without answering.
            const QDir real(orvel::libreOfficeProgramDir());
            for (const QString &name : real.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
                if (name != QLatin1String("soffice.bin"))
                    QVERIFY(QFile::link(real.filePath(name), program.filePath(name)));
            }
            QFile fake(program.filePath(QStringLiteral("soffice.bin")));
            QVERIFY(fake.open(QIODevice::WriteOnly));
            fake.write(install == QLatin1String("exits") ? "#!/bin/sh\nexit 1\n" : "#!/bin/sh\nexec sleep 600\n");
            fake.close();
            QVERIFY(fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        qputenv("ORVEL_LIBREOFFICE_PROGRAM", QFile::encodeName(program.path()));

        ModalWatcher boxes;
        fill();
        answer = dir.filePath(QStringLiteral("нет офиса %1.xls").arg(install));
        click(w.nds, "Button1");
        QCOMPARE(boxes.texts(), QStringList{message});
        QCOMPARE(fileBytes(answer), fileBytes(templ));
        QCOMPARE(w.nds->ProgressBar1->value(), 5);
    }
};

QTEST_MAIN(TestDeclarationOfficeFaults)
#include "test_declaration_office_faults.moc"
