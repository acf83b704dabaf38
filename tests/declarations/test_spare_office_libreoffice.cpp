// The spare office with a real LibreOffice Calc: a run uses it, the windows
// and the loan tab start and end it, and no office of ours survives the
// program however it ends. The cases that end the program run this test
// program again as a child (ORVEL_SPARE_CHILD says which case).
#include "calc/Paths.h"
#include "CalcTestSupport.h"
#include "DeclarationSamples.h"
#include "GuiTest.h"
#include "office/LibreOfficeTesting.h"
#include "office/Spreadsheet.h"
#include "ui/declarations/Tnds.h"
#include "ui/FileDialogs.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace orveltest;

namespace {

// The offices (soffice.bin) of process `pid`, by the pipe name on their
// command line, with the private folder each was given.
QMap<int, QString> officesOf(qint64 pid)
{
    QMap<int, QString> found;
    const QByteArray mark = "orvel_calc_" + QByteArray::number(pid) + '_';
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int p = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray all = cmdline.readAll();
        if (!all.contains(mark))
            continue;
        QString folder;
        for (const QByteArray &arg : all.split('\0'))
            if (arg.startsWith("-env:UserInstallation="))
                folder = QFileInfo(QUrl(QString::fromLocal8Bit(arg.mid(22))).toLocalFile()).path();
        found.insert(p, folder);
    }
    return found;
}

// Waits until `done` holds, the event loop running meanwhile.
template <typename F>
bool waitFor(F done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void say(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// ---- the child: Orvel with the VAT window open ----

int childMain(int argc, char **argv, const QByteArray &mode)
{
    QApplication app(argc, argv);
    orvel::enableSpareOffices(true);
    orvel::OrvelWindows w = orvel::createOrvelWindows();
    w.nds->show();
    int rc = 0;
    if (mode == "unused") {
        // Ready, never used; the program ends as it does when its main
        // window is closed.
        rc = waitFor([] { return orvel::spareOfficeReady(); }, 30000) ? 0 : 2;
        say("ready");
        char line[8];
        if (!std::fgets(line, sizeof line, stdin))
            rc = 3;
    } else if (mode == "killed-idle") {
        // Killed from outside while it waits; the run starts a fresh one.
        fillVatWindow(w.nds);
        if (!waitFor([] { return orvel::spareOfficeReady(); }, 30000))
            return 2;
        const QList<int> guards = childProcesses();
        for (int guard : guards)
            ::kill(-pid_t(guard), SIGKILL);
        if (guards.size() != 1 || !waitFor([&] { return !officesOf(::getpid()).contains(guards.first()); }, 5000))
            return 4;
        QThread::msleep(50);
        const QString target = qEnvironmentVariable("ORVEL_SPARE_TARGET");
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) { return target; });
        ModalWatcher boxes;
        click(w.nds, "Button1");
        if (boxes.texts() == QStringList{QStringLiteral("Декларация успешно сформирована!")})
            say("success");
        else
            rc = 5;
        orvel::setFileDialogHook({});
    } else if (mode == "killed-starting") {
        // Killed by the parent while the office starts.
        say("asked");
        waitFor([] { return false; }, 60000);
        rc = 6;
    }
    orvel::destroyOrvelWindows(w);
    orvel::enableSpareOffices(false);
    return rc;
}

} // namespace

class TestSpareOfficeLibreOffice : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir dir;

    // This program again, as a child in the given case.
    void startChild(QProcess &child, const char *mode)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVEL_SPARE_CHILD"), QString::fromLatin1(mode));
        env.insert(QStringLiteral("ORVEL_SPARE_TARGET"), dir.filePath(QStringLiteral("child.xls")));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted(10000));
    }

    // Nothing of the child's offices is left: no office process, no folder.
    static void nothingLeftOf(qint64 pid, const QStringList &folders)
    {
        QVERIFY2(waitFor([&] { return officesOf(pid).isEmpty(); }, 10000), "an office outlived the program");
        for (const QString &folder : folders) {
            QVERIFY(!folder.isEmpty());
            QVERIFY2(waitFor([&] { return !QFileInfo::exists(folder); }, 10000), qPrintable(folder));
        }
    }

private slots:
    void initTestCase()
    {
        const QString missing = orvel::libreOfficeUnavailableReason();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (!QFileInfo::exists(orvel::programFolder() + QStringLiteral("/shablon/nds.xls")))
            QSKIP("the templates are not beside the program");
        QVERIFY(dir.isValid());
        orvel::enableSpareOffices(true);
        w = orvel::createOrvelWindows();
    }
    void cleanupTestCase()
    {
        orvel::destroyOrvelWindows(w);
        orvel::enableSpareOffices(false);
        QCOMPARE(childProcesses(), QList<int>());
    }

    // The window shown, the spare ready: the run uses it (no other office is
    // started), and after the run's quit the next spare starts; hiding the
    // window ends that one at once.
    void runUsesTheSpare()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        w.nds->show();
        fillVatWindow(w.nds);
        QVERIFY(waitFor([] { return orvel::spareOfficeReady(); }, 30000));
        const QList<int> spare = childProcesses();
        QCOMPARE(spare.size(), 1);
        QList<int> duringRun;
        const auto c = QObject::connect(w.nds->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
            if (v == 30)
                duringRun = childProcesses();
        });
        const QString target = dir.filePath(QStringLiteral("тёплый.xls"));
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) { return target; });
        click(w.nds, "Button1");
        orvel::setFileDialogHook({});
        QObject::disconnect(c);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Декларация успешно сформирована!")});
        QCOMPARE(duringRun, spare);

        QVERIFY(waitFor([] { return orvel::spareOfficeReady(); }, 30000));
        const QList<int> next = childProcesses();
        QCOMPARE(next.size(), 1);
        QVERIFY(next != spare);
        w.nds->hide();
        QCOMPARE(childProcesses(), QList<int>());

        auto calc = orvel::LibreOfficeCalc::start();
        calc->workbooksOpen(target);
        calc->activateSheet(QStringLiteral("стр.1"));
        QCOMPARE(cellString(*calc, QStringLiteral("A16")), QStringLiteral("С"));
    }

    // Differentiated payments chosen: a spare starts, and the schedule
    // export uses it; annuity chosen again: it ends.
    void differentiatedChoice()
    {
        QCOMPARE(childProcesses(), QList<int>());
        w.form1->RadioButton8->setChecked(true);
        QVERIFY(waitFor([] { return orvel::spareOfficeReady(); }, 30000));
        const QList<int> spare = childProcesses();
        QCOMPARE(spare.size(), 1);
        w.form1->Edit7->setText(QStringLiteral("12000"));
        w.form1->Edit8->setText(QStringLiteral("12"));
        w.form1->Edit9->setText(QStringLiteral("12"));
        const QString target = dir.filePath(QStringLiteral("график.xls"));
        QList<int> atSave;
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) {
            atSave = childProcesses();
            return target;
        });
        ModalWatcher boxes;
        click(w.form1, "Button5");
        orvel::setFileDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(w.form1->Label15->text(), QStringLiteral("График платежей сохранен в файле"));
        QCOMPARE(atSave, spare);
        QVERIFY(QFileInfo::exists(target));
        w.form1->RadioButton7->setChecked(true);
        QCOMPARE(childProcesses(), QList<int>());
    }

    // Hidden again while its spare starts, or while the spare warms up, the
    // window has it ended at once.
    void hiddenWhileStarting_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("at once") << "at once";
        QTest::newRow("office process running") << "running";
        QTest::newRow("pipe open: connecting, warming up") << "pipe";
    }
    void hiddenWhileStarting()
    {
        QFETCH(QString, when);
        w.nds->show();
        if (when == QLatin1String("running"))
            QVERIFY(waitFor([] { return !officesOf(::getpid()).isEmpty(); }, 30000));
        if (when == QLatin1String("pipe")) {
            // The office's pipe is there: it is being connected or warmed up.
            const QString pipe = QStringLiteral("OSL_PIPE_%1_orvel_calc_%2_*").arg(::getuid()).arg(::getpid());
            QVERIFY(waitFor([&] { return !QDir(QStringLiteral("/tmp")).entryList({pipe}, QDir::System).isEmpty(); },
                            30000));
        }
        w.nds->hide();
        // Ended and reaped before hide() returned.
        QCOMPARE(childProcesses(), QList<int>());
        QVERIFY(waitFor([] { return officesOf(::getpid()).isEmpty(); }, 5000));
    }

    // A spare never used: nothing of it is left once the program has ended.
    void unusedSpareEndsWithTheProgram()
    {
        QProcess child;
        startChild(child, "unused");
        QVERIFY(child.waitForReadyRead(40000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
        const QMap<int, QString> offices = officesOf(child.processId());
        QCOMPARE(offices.size(), 1);
        const qint64 pid = child.processId();
        child.write("\n");
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        nothingLeftOf(pid, offices.values());
    }

    // A spare killed from outside while it waits: the run starts a fresh
    // office and succeeds, and nothing is left after the program.
    void spareKilledWhileIdle()
    {
        QProcess child;
        startChild(child, "killed-idle");
        const qint64 pid = child.processId();
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("success"));
        QCOMPARE(child.exitCode(), 0);
        nothingLeftOf(pid, {});
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("child.xls"))));
    }

    // The program killed with SIGKILL while its spare starts: the guard
    // takes the office and its folder along.
    void programKilledWhileSpareStarts()
    {
        QProcess child;
        startChild(child, "killed-starting");
        const qint64 pid = child.processId();
        QVERIFY(child.waitForReadyRead(30000));
        QMap<int, QString> offices;
        QVERIFY(waitFor(
            [&] {
                offices = officesOf(pid);
                return !offices.isEmpty();
            },
            30000));
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        nothingLeftOf(pid, offices.values());
    }
};

int main(int argc, char **argv)
{
    const QByteArray mode = qgetenv("ORVEL_SPARE_CHILD");
    if (!mode.isEmpty())
        return childMain(argc, argv, mode);
    QApplication app(argc, argv);
    TestSpareOfficeLibreOffice test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_spare_office_libreoffice.moc"
