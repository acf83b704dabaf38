// Orvel's performance in one table: each step measured `runs` times, the
// median, the fastest and the slowest run.
//  - start-up: the program started with ORVEL_SELFTEST=1, until it has shown
//    its main window and quit;
//  - idle memory: the program started normally, its resident set (VmRSS)
//    after it has been idle for two seconds;
//  - the bank's document (40 currencies, windows-1251) read into the rate
//    table, the cache written;
//  - the whole rate retrieval of the converter tab against a local HTTP
//    server: the connectivity probe, the fetch, the read, the lists;
//  - one conversion (the "=" button);
//  - idle threads and child processes of the program, started normally;
//  - a VAT and a simplified declaration from the button to the success box,
//    each with a cold LibreOffice of its own, and the 360-month schedule
//    export; for these the office's own start (start and connect) in the
//    same run is given, and Orvel's part is the run less that start;
//  - the same three with a warm office: the window shown (differentiated
//    payments chosen for the schedule), the spare office given time to get
//    ready, then the click.
//
// Run with scripts/bench.sh [runs]; or build the target bench_orvel and run
//   QT_QPA_PLATFORM=offscreen build/bin/bench_orvel [runs]
#include "BenchTiming.h"
#include "calc/Paths.h"
#include "DeclarationSamples.h"
#include "GuiTest.h"
#include "HttpTestServer.h"
#include "office/LibreOfficeCalc.h"
#include "office/Spreadsheet.h"
#include "rates/RateDocument.h"
#include "rates/RateTable.h"
#include "rates/TcpProbe.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"
#include "ui/FileDialogs.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

double ms(qint64 ns) { return ns / 1e6; }

// The steps in the order of the table, each with its unit and samples.
struct Step {
    QString name;
    QString unit;
    QString note;
    std::vector<double> samples;
};

class Table {
public:
    Step &step(const QString &name, const QString &unit, const QString &note = {})
    {
        for (Step &s : m_steps)
            if (s.name == name)
                return s;
        m_steps.push_back({name, unit, note, {}});
        return m_steps.back();
    }
    void add(const QString &name, const QString &unit, double value, const QString &note = {})
    {
        step(name, unit, note).samples.push_back(value);
    }
    void print(int runs) const
    {
        int width = 4;
        for (const Step &s : m_steps)
            width = std::max(width, int(s.name.size()));
        std::printf("%-*s  %10s  %10s  %10s  %s\n", width, "step", "median", "min", "max", "notes");
        std::printf("%s\n", QString(width + 40, QLatin1Char('-')).toUtf8().constData());
        for (const Step &s : m_steps) {
            std::vector<double> v = s.samples;
            std::sort(v.begin(), v.end());
            const std::size_t n = v.size();
            const double median = n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
            auto cell = [&](double x) { return (QString::number(x, 'f', x < 10 ? 2 : 0) + QLatin1Char(' ') + s.unit); };
            std::printf("%s  %10s  %10s  %10s  %s\n", s.name.leftJustified(width).toUtf8().constData(),
                        qPrintable(n ? cell(median) : QStringLiteral("-")),
                        qPrintable(n ? cell(v.front()) : QStringLiteral("-")),
                        qPrintable(n ? cell(v.back()) : QStringLiteral("-")),
                        (s.note + (int(n) != runs ? QStringLiteral(" (%1 runs)").arg(n) : QString())).toUtf8().constData());
        }
    }

private:
    std::vector<Step> m_steps;
};

QString programPath() { return orvel::programFolder() + QStringLiteral("/orvel"); }

QProcessEnvironment offscreen(bool selfTest)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (selfTest)
        env.insert(QStringLiteral("ORVEL_SELFTEST"), QStringLiteral("1"));
    else
        env.remove(QStringLiteral("ORVEL_SELFTEST"));
    return env;
}

// From the start of the process to its exit after the main window was shown.
double startUp(const QString &workDir)
{
    QProcess p;
    p.setProcessEnvironment(offscreen(true));
    p.setWorkingDirectory(workDir);
    QElapsedTimer clock;
    clock.start();
    p.start(programPath(), {});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        throw std::runtime_error("orvel did not start and quit");
    const double t = ms(clock.nsecsElapsed());
    if (!p.readAllStandardOutput().contains("window: shown"))
        throw std::runtime_error("orvel did not show its main window");
    return t;
}

struct Idle {
    double residentMB = -1;
    int threads = -1, children = -1;
};

// VmRSS in MB, threads and child processes of the program after two
// seconds of doing nothing.
Idle idleProgram(const QString &workDir)
{
    QProcess p;
    p.setProcessEnvironment(offscreen(false));
    p.setWorkingDirectory(workDir);
    p.start(programPath(), {});
    if (!p.waitForStarted(10000))
        throw std::runtime_error("orvel did not start");
    p.waitForFinished(2000); // it must not finish: this is only the wait
    Idle idle;
    QFile status(QStringLiteral("/proc/%1/status").arg(p.processId()));
    if (p.state() == QProcess::Running && status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                idle.residentMB = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
            if (line.startsWith("Threads:"))
                idle.threads = line.mid(8).trimmed().toInt();
        }
        idle.children = 0;
        const QByteArray self = QByteArray::number(p.processId());
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!entry.at(0).isDigit() || !stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (rest.size() > 1 && rest[1] == self)
                ++idle.children;
        }
    }
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(10000);
    }
    if (idle.residentMB < 0)
        throw std::runtime_error("no VmRSS of a running orvel");
    return idle;
}

// Waits, the event loop running, until the spare office is ready.
void waitForSpare()
{
    QElapsedTimer clock;
    clock.start();
    while (!orvel::spareOfficeReady()) {
        if (clock.elapsed() > 30000)
            throw std::runtime_error("the spare office did not get ready");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

// windows-1251 for ASCII and the Russian alphabet, all this document uses.
QByteArray cp1251(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            out += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            out += char(0xA8);
        else if (u == 0x0451)
            out += char(0xB8);
        else
            out += '?';
    }
    return out;
}

// A daily document of 40 currencies as the bank writes it.
QByteArray bankDocument()
{
    static const char *const names[] = {"Австралийский доллар", "Азербайджанский манат", "Фунт стерлингов",
                                        "Армянских драмов",     "Белорусский рубль",     "Болгарский лев",
                                        "Бразильский реал",     "Венгерских форинтов",   "Вьетнамских донгов",
                                        "Гонконгский доллар"};
    QString doc = QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                                 "<ValCurs Date=\"06.12.2026\" name=\"Foreign Currency Market\">");
    for (int i = 0; i < 40; ++i) {
        const QString code = QString(QChar(u'A' + i / 26)) + QChar(u'A' + i % 26) + QChar(u'X');
        const int nominal = (i % 3 == 0) ? 100 : (i % 3 == 1 ? 10 : 1);
        const QString value = QStringLiteral("%1,%2").arg(10 + i * 3).arg(1000 + i * 37 % 9000, 4, 10, QLatin1Char('0'));
        doc += QStringLiteral("<Valute ID=\"R01%1\"><NumCode>%2</NumCode><CharCode>%3</CharCode>"
                              "<Nominal>%4</Nominal><Name>%5 %6</Name><Value>%7</Value>"
                              "<VunitRate>%7</VunitRate></Valute>")
                   .arg(100 + i)
                   .arg(100 + i * 7)
                   .arg(code)
                   .arg(nominal)
                   .arg(QString::fromUtf8(names[i % 10]))
                   .arg(i + 1)
                   .arg(value);
    }
    doc += QStringLiteral("</ValCurs>");
    return cp1251(doc);
}

struct DeclarationTiming {
    qint64 total = 0, connected = 0, starting = 0, opened = 0, closeStart = 0, closed = 0, quitStart = 0,
           quitEnd = 0;
};

// Clicks Button1 of a declaration window, the save dialog answered with
// `target` and the success box accepted; the phases on the run's clock.
DeclarationTiming declarationRun(QWidget *window, const QString &target)
{
    QElapsedTimer clock;
    orvelbench::TimedFactory factory(clock);
    orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) { return target; });
    orveltest::ModalWatcher boxes;
    QFile::remove(target);
    clock.start();
    orveltest::click(window, "Button1");
    DeclarationTiming t;
    t.total = clock.nsecsElapsed();
    orvel::setFileDialogHook({});
    if (boxes.texts() != QStringList{QStringLiteral("Декларация успешно сформирована!")} || !factory.timed)
        throw std::runtime_error("the declaration run did not succeed: " + boxes.texts().join(QLatin1Char('|')).toStdString());
    t.starting = factory.starting;
    t.connected = factory.connected;
    t.opened = factory.timed->opened;
    t.closeStart = factory.timed->closeStart;
    t.closed = factory.timed->closed;
    t.quitStart = factory.timed->quitStart;
    t.quitEnd = factory.timed->quitStart + factory.timed->quitTime;
    return t;
}

void addDeclaration(Table &table, const QString &name, const DeclarationTiming &t)
{
    table.add(name, QStringLiteral("ms"), ms(t.total), QStringLiteral("button to success box"));
    table.add(name + QStringLiteral("  LibreOffice start+connect (same run)"), QStringLiteral("ms"),
              ms(t.connected - t.starting));
    table.add(name + QStringLiteral("  Orvel's part (run - LO start)"), QStringLiteral("ms"),
              ms(t.total - (t.connected - t.starting)), QStringLiteral("the rows below"));
    table.add(name + QStringLiteral("    dialog, template copy"), QStringLiteral("ms"), ms(t.starting));
    table.add(name + QStringLiteral("    open workbook"), QStringLiteral("ms"), ms(t.opened - t.connected));
    table.add(name + QStringLiteral("    fill cells"), QStringLiteral("ms"), ms(t.closeStart - t.opened));
    table.add(name + QStringLiteral("    close with save"), QStringLiteral("ms"), ms(t.closed - t.closeStart));
    table.add(name + QStringLiteral("    quit office"), QStringLiteral("ms"), ms(t.quitEnd - t.quitStart));
    table.add(name + QStringLiteral("    success box"), QStringLiteral("ms"), ms(t.total - t.quitEnd));
}

// The schedule rows; `name` is "schedule export" or it with the office's kind.
void addSchedule(Table &table, const QString &name, const orvelbench::ScheduleTiming &t)
{
    const QString total = name == QLatin1String("schedule export") ? QStringLiteral("schedule export, 360 months")
                                                                    : name + QStringLiteral(", 360 months");
    table.add(total, QStringLiteral("ms"), ms(t.total), QStringLiteral("1,800 cells, save, quit"));
    table.add(name + QStringLiteral("  LibreOffice start+connect (same run)"), QStringLiteral("ms"), ms(t.connected));
    table.add(name + QStringLiteral("  Orvel's part (run - LO start)"), QStringLiteral("ms"), ms(t.total - t.connected),
              QStringLiteral("the rows below"));
    table.add(name + QStringLiteral("    write cells"), QStringLiteral("ms"), ms(t.writesDone - t.connected));
    table.add(name + QStringLiteral("    save"), QStringLiteral("ms"), ms(t.save));
    table.add(name + QStringLiteral("    quit office"), QStringLiteral("ms"), ms(t.quit));
}

void fillVat(Tnds *f, TForm1 *form1)
{
    form1->lastEnteredAmount = 118;
    form1->lastTaxResult = 21.24;
    f->hide();
    f->show();
    orveltest::fillVatWindow(f);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication qapp(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const QString missing = orvel::libreOfficeUnavailableReason();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 1;
    }
    if (!QFileInfo::exists(orvel::programFolder() + QStringLiteral("/shablon/nds.xls"))
        || !QFileInfo::exists(programPath())) {
        std::fprintf(stderr, "orvel and its templates must be beside this program (build the target orvel)\n");
        return 1;
    }
    QTemporaryDir dir;
    // The rate cache (cbr.xml) is written to the working directory.
    QDir::setCurrent(dir.path());
    orvel::OrvelWindows w = orvel::createOrvelWindows();
    orveltest::LocaleScope locale(orveltest::commaLocale());
    Table table;
    const QByteArray document = bankDocument();
    orveltest::HttpTestServer server;
    server.route("/scripts/XML_daily.asp?date_req", {200, document, {}});
    try {
        for (int run = 0; run < runs; ++run) {
            std::fprintf(stderr, "run %d of %d\n", run + 1, runs);
            table.add(QStringLiteral("start-up to main window shown"), QStringLiteral("ms"), startUp(dir.path()),
                      QStringLiteral("process start to exit (ORVEL_SELFTEST=1)"));
            const Idle idle = idleProgram(dir.path());
            table.add(QStringLiteral("idle resident memory"), QStringLiteral("MB"), idle.residentMB,
                      QStringLiteral("VmRSS after 2 s idle"));
            table.add(QStringLiteral("idle threads"), QStringLiteral(""), idle.threads,
                      QStringLiteral("annuity chosen, no declaration window"));
            table.add(QStringLiteral("idle child processes"), QStringLiteral(""), idle.children,
                      QStringLiteral("annuity chosen, no declaration window"));

            {
                constexpr int reads = 100;
                orvel::RateTable rates;
                orvel::StringListSink names;
                QElapsedTimer clock;
                clock.start();
                for (int i = 0; i < reads; ++i)
                    orvel::readRateDocumentData(document, rates, names, dir.filePath(QStringLiteral("bench.xml")));
                if (names.items.size() != 41)
                    throw std::runtime_error("the document did not give 41 rows");
                table.add(QStringLiteral("read bank document (40 rows)"), QStringLiteral("ms"),
                          ms(clock.nsecsElapsed()) / reads,
                          QStringLiteral("%1 bytes, cache saved (synced); mean of %2").arg(document.size()).arg(reads));
            }
            {
                TForm1 *f = w.form1;
                f->probeHost = QStringLiteral("127.0.0.1");
                f->probePort = QString::number(server.port());
                f->rateUrl = server.url(QStringLiteral("/scripts/XML_daily.asp?date_req"));
                // A probe still connected from the last run would make the
                // tab skip the whole retrieval.
                f->TTCPClient->Close();
                f->ComboBox1->clear();
                const int requests = server.requests().size();
                orveltest::ModalWatcher boxes;
                QElapsedTimer clock;
                clock.start();
                f->TabSheet4Show();
                const double t = ms(clock.nsecsElapsed());
                if (!boxes.boxes.isEmpty() || f->ComboBox1->count() != 41 || server.requests().size() != requests + 1)
                    throw std::runtime_error("the rate retrieval failed");
                table.add(QStringLiteral("rate retrieval, local server"), QStringLiteral("ms"), t,
                          QStringLiteral("probe, HTTP fetch, read, lists"));
            }
            {
                constexpr int clicks = 1000;
                TForm1 *f = w.form1;
                f->Edit10->setText(QStringLiteral("1000"));
                f->ComboBox1->setCurrentIndex(5);
                f->ComboBox2->setCurrentIndex(17);
                QElapsedTimer clock;
                clock.start();
                for (int i = 0; i < clicks; ++i)
                    f->Button7Click();
                table.add(QStringLiteral("conversion (= button)"), QStringLiteral("us"),
                          clock.nsecsElapsed() / 1e3 / clicks,
                          QStringLiteral("mean of %1, result shown").arg(clicks));
            }
            fillVat(w.nds, w.form1);
            addDeclaration(table, QStringLiteral("VAT declaration"),
                           declarationRun(w.nds, dir.filePath(QStringLiteral("НДС.xls"))));
            w.nds->hide();
            {
                Tnull1 *f = w.null1;
                f->show();
                f->RadioButton1->setChecked(true);
                f->Edit1->setText(QStringLiteral("ИФНС № 1"));
                addDeclaration(table, QStringLiteral("simplified declaration"),
                               declarationRun(f, dir.filePath(QStringLiteral("упрощенная.xls"))));
                f->hide();
            }
            addSchedule(table, QStringLiteral("schedule export"), orvelbench::timeSchedule(*w.form1, dir.path()));

            // The same with a warm office: the spare the window asks for.
            orvel::enableSpareOffices(true);
            fillVat(w.nds, w.form1);
            waitForSpare();
            addDeclaration(table, QStringLiteral("VAT declaration, warm office"),
                           declarationRun(w.nds, dir.filePath(QStringLiteral("НДС.xls"))));
            w.nds->hide();
            {
                Tnull1 *f = w.null1;
                f->show();
                f->RadioButton1->setChecked(true);
                f->Edit1->setText(QStringLiteral("ИФНС № 1"));
                waitForSpare();
                addDeclaration(table, QStringLiteral("simplified declaration, warm office"),
                               declarationRun(f, dir.filePath(QStringLiteral("упрощенная.xls"))));
                f->hide();
            }
            w.form1->RadioButton8->setChecked(true);
            waitForSpare();
            addSchedule(table, QStringLiteral("schedule export, warm office"),
                        orvelbench::timeSchedule(*w.form1, dir.path()));
            w.form1->RadioButton7->setChecked(true);
            orvel::enableSpareOffices(false);
        }
    } catch (const OrvelError &e) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
    orvel::destroyOrvelWindows(w);
    QDir::setCurrent(QDir::tempPath());
    std::printf("Orvel benchmark, %d runs each (%s)\n", runs, qPrintable(QDate::currentDate().toString(Qt::ISODate)));
    table.print(runs);
    return 0;
}
