// The payment schedule's texts and files on their own: money as text, the
// CSV bytes, the workbook read back by openpyxl, the PDF read back by
// pdftotext, and stores that fail without leaving anything behind.
#include "calc/AtomicFile.h"
#include "calc/ScheduleReport.h"
#include "FaultTools.h"
#include "ReadBack.h"
#include "ui/schedule/ScheduleChart.h"
#include "ui/schedule/ScheduleFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orvel;
using namespace orveltest;
using orveltest::PermissionsEnforced;
using orveltest::SmallDisk;

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);

ScheduleReport report(double amount, double rate, int months, Repayment kind, std::vector<EarlyRepayment> early = {})
{
    return makeScheduleReport(LoanTerms{amount, rate, months, kind, std::move(early)});
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}


ChartPainter realChart(const ScheduleReport &r)
{
    return [&r](QPainter &p, const QRectF &target) { ScheduleChart::render(r.schedule, kRussian, p, target); };
}

// Money as pdftotext gives it back (plain blanks for the grouping).
QString shown(std::int64_t kopecks) { return moneyText(kopecks, kRussian).replace(QChar(0xa0), QLatin1Char(' ')); }


} // namespace

class TestScheduleFiles : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void money_data()
    {
        QTest::addColumn<qint64>("kopecks");
        QTest::addColumn<QString>("russian");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("plain");
        QTest::newRow("zero") << qint64(0) << "0,00" << "0.00" << "0,00";
        QTest::newRow("kopecks") << qint64(5) << "0,05" << "0.05" << "0,05";
        QTest::newRow("negative") << qint64(-123456) << "-1\u00a0234,56" << "-1,234.56" << "-1234,56";
        QTest::newRow("grouped") << qint64(123456789) << "1\u00a0234\u00a0567,89" << "1,234,567.89" << "1234567,89";
        // Beyond the 15 digits a double holds exactly: still to the kopeck.
        QTest::newRow("10^13 roubles and a kopeck") << qint64(1000000000000001) << "10\u00a0000\u00a0000\u00a0000\u00a0000,01"
                                                    << "10,000,000,000,000.01" << "10000000000000,01";
    }
    void money()
    {
        QFETCH(qint64, kopecks);
        QFETCH(QString, russian);
        QFETCH(QString, english);
        QFETCH(QString, plain);
        QCOMPARE(orvel::moneyText(kopecks, kRussian), russian);
        QCOMPARE(orvel::moneyText(kopecks, QLocale(QLocale::English, QLocale::UnitedStates)), english);
        QCOMPARE(plainMoneyText(kopecks, QLatin1Char(',')), plain);
    }

    void summary()
    {
        // Shortened by two months, and one repayment after the loan is gone.
        const ScheduleReport r = report(100000, 12, 12, Repayment::Annuity,
                                        {{3, 2000000, EarlyMode::ShortenTerm}, {11, 100000, EarlyMode::ShortenTerm}});
        QCOMPARE(scheduleSummaryLines(r, kRussian),
                 (QStringList{"Срок: 10 мес.", "Выплачено всего: 104\u00a0912,79", "Переплата: 4\u00a0912,79",
                              "Экономия от досрочных погашений: 1\u00a0705,74 и 2 мес.",
                              "Досрочное погашение 2 (месяц 11) не учтено: кредит к этому времени погашен"}));
        QCOMPARE(earlyStateText(r, 0, kRussian), QString());
        QCOMPARE(earlyStateText(r, 1, kRussian), QStringLiteral("не учтено: кредит уже погашен"));
        const ScheduleReport capped = report(1000, 12, 12, Repayment::Annuity, {{1, 10000000, EarlyMode::LowerPayment}});
        QCOMPARE(earlyStateText(capped, 0, kRussian), QStringLiteral("учтено 921,15: весь остаток долга"));
        QCOMPARE(scheduleInputLines(capped, kRussian),
                 (QStringList{"Сумма кредита: 1\u00a0000,00", "Процентная ставка: 12 %", "Срок кредита: 12 мес.",
                              "Платежи: аннуитетные",
                              "Досрочное погашение 1: месяц 1, 100\u00a0000,00, уменьшить платеж"}));
    }

    // Repayments that come after the loan is repaid: one is named, more
    // are counted in one line, however many there are.
    void summaryOfRepaymentsNotCounted_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("line");
        QTest::newRow("1") << 1 << "Досрочное погашение 2 (месяц 2) не учтено: кредит к этому времени погашен";
        const QString many = QStringLiteral("Не учтены: %1 после погашения кредита");
        QTest::newRow("2") << 2 << many.arg("2 досрочных погашения");
        QTest::newRow("5") << 5 << many.arg("5 досрочных погашений");
        QTest::newRow("12") << 12 << many.arg("12 досрочных погашений");
        QTest::newRow("21") << 21 << many.arg("21 досрочное погашение");
        QTest::newRow("22") << 22 << many.arg("22 досрочных погашения");
        QTest::newRow("60") << 60 << many.arg("60 досрочных погашений");
        QTest::newRow("201") << 201 << many.arg("201 досрочное погашение");
    }
    void summaryOfRepaymentsNotCounted()
    {
        QFETCH(int, count);
        QFETCH(QString, line);
        std::vector<EarlyRepayment> early{{1, 20000000, EarlyMode::ShortenTerm}};
        for (int i = 0; i < count; ++i)
            early.push_back({2 + i % 100, 100000, EarlyMode::ShortenTerm});
        const QStringList lines = scheduleSummaryLines(report(100000, 12, 120, Repayment::Annuity, early), kRussian);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.last(), line);
    }

    void csv()
    {
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "№;Остаток долга;Проценты;Основной долг;Платеж;Досрочно;Остаток после\r\n"
                                    "1;100000,00;0,00;33333,33;33333,33;0,00;66666,67\r\n"
                                    "2;66666,67;0,00;33333,33;33333,33;0,00;33333,34\r\n"
                                    "3;33333,34;0,00;33333,34;33333,34;0,00;0,00\r\n"
                                    "Итого;;0,00;100000,00;100000,00;0,00;\r\n";
        QCOMPARE(scheduleCsv(report(100000, 0, 3, Repayment::Annuity)), expected);

        const QList<QByteArray> lines =
            scheduleCsv(report(100000, 12, 12, Repayment::Annuity, {{3, 2000000, EarlyMode::ShortenTerm}})).split('\n');
        QCOMPARE(lines.size(), 13); // header, 10 months, totals, and nothing after the last line end
        QCOMPARE(lines[3], QByteArray("3;84151,39;841,51;8043,37;8884,88;20000,00;56108,02\r"));
        QCOMPARE(lines[11], QByteArray("Итого;;4912,79;80000,00;84912,79;20000,00;\r"));
    }

    // The workbook as openpyxl reads it: the inputs, numbers in the
    // two-decimal format, SUM formulas with their values, and the charts.
    void xlsx()
    {
        const ScheduleReport r = report(100000, 12, 12, Repayment::Annuity, {{3, 2000000, EarlyMode::ShortenTerm}});
        const QString path = dir.filePath(QStringLiteral("график.xlsx"));
        put(path, scheduleXlsx(r));
        const QJsonObject book = readWorkbook(path);
        QVERIFY2(!book.isEmpty(), "openpyxl did not read the workbook");
        QCOMPARE(book["sheets"].toArray(), QJsonArray{"График платежей"});
        const QJsonObject cells = book["cells"].toObject();
        const auto value = [&](const char *cell) { return cells[QLatin1String(cell)].toObject()["value"].toVariant(); };
        const auto format = [&](const char *cell) { return cells[QLatin1String(cell)].toObject()["format"].toString(); };
        const auto cached = [&](const char *cell) { return cells[QLatin1String(cell)].toObject()["cached"].toDouble(); };

        QCOMPARE(value("A1").toString(), QStringLiteral("График платежей по кредиту"));
        QCOMPARE(value("A2").toString(), QStringLiteral("Сумма кредита"));
        QCOMPARE(value("C2").toDouble(), 100000.0);
        QCOMPARE(value("C3").toDouble(), 12.0);
        QCOMPARE(value("C4").toDouble(), 12.0);
        QCOMPARE(value("C5").toString(), QStringLiteral("аннуитетные"));
        QCOMPARE(value("A6").toString(), QStringLiteral("Досрочные погашения"));
        QCOMPARE(value("C7").toDouble(), 3.0);
        QCOMPARE(value("D7").toDouble(), 20000.0);
        QCOMPARE(value("E7").toString(), QStringLiteral("Сократить срок"));

        // Header in row 9, months in rows 10..19, totals in row 20.
        const QStringList titles{"№", "Остаток долга", "Проценты", "Основной долг", "Платеж", "Досрочно", "Остаток после"};
        for (int c = 0; c < titles.size(); ++c)
            QCOMPARE(cells[QStringLiteral("%1%2").arg(QChar(u'A' + c)).arg(9)].toObject()["value"].toString(), titles[c]);
        QCOMPARE(value("A10").toDouble(), 1.0);
        QCOMPARE(value("C10").toDouble(), 1000.0);
        QCOMPARE(format("C10"), QStringLiteral("#,##0.00"));
        QCOMPARE(value("F12").toDouble(), 20000.0);
        QCOMPARE(value("E19").toDouble(), 4948.87);
        QCOMPARE(value("G19").toDouble(), 0.0);
        QCOMPARE(value("A20").toString(), QStringLiteral("Итого"));
        QCOMPARE(value("C20").toString(), QStringLiteral("=SUM(C10:C19)"));
        QCOMPARE(value("D20").toString(), QStringLiteral("=SUM(D10:D19)"));
        QCOMPARE(value("E20").toString(), QStringLiteral("=SUM(E10:E19)"));
        QCOMPARE(value("F20").toString(), QStringLiteral("=SUM(F10:F19)"));
        QCOMPARE(cached("C20"), 4912.79);
        QCOMPARE(cached("E20"), 84912.79);
        QCOMPARE(format("E20"), QStringLiteral("#,##0.00"));
        QVERIFY(!cells.contains(QStringLiteral("B20")) || value("B20").isNull());
        QCOMPARE(book["frozen"].toString(), QStringLiteral("A10"));

        const QJsonArray charts = book["charts"].toArray();
        QCOMPARE(charts.size(), 2);
        const QJsonObject columns = charts[0].toObject();
        QCOMPARE(columns["type"].toString(), QStringLiteral("barChart"));
        QCOMPARE(columns["grouping"].toString(), QStringLiteral("stacked"));
        QCOMPARE(columns["series"].toArray(),
                 (QJsonArray{"'График платежей'!$D$10:$D$19", "'График платежей'!$C$10:$C$19"}));
        QCOMPARE(columns["categories"].toArray()[0].toString(), QStringLiteral("'График платежей'!$A$10:$A$19"));
        const QJsonObject debt = charts[1].toObject();
        QCOMPARE(debt["type"].toString(), QStringLiteral("lineChart"));
        QCOMPARE(debt["series"].toArray(), QJsonArray{"'График платежей'!$G$10:$G$19"});
    }

    // 360 months over several pages: the header on each, every month once,
    // the totals and the page numbers.
    void pdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const ScheduleReport r = report(3000000, 9, 360, Repayment::Annuity, {{60, 50000000, EarlyMode::LowerPayment}});
        const QString path = dir.filePath(QStringLiteral("график.pdf"));
        const QByteArray bytes = schedulePdf(r, kRussian, realChart(r));
        QVERIFY(bytes.startsWith("%PDF-"));
        put(path, bytes);
        QString text = QString::fromUtf8(run(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")}));
        text.replace(QChar(0xa0), QLatin1Char(' '));
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 7, qPrintable(QString::number(pages.size())));

        QVERIFY(pages[0].contains(QStringLiteral("График платежей по кредиту")));
        QVERIFY(pages[0].contains(QStringLiteral("Сумма кредита: 3 000 000,00")));
        QVERIFY(pages[0].contains(QStringLiteral("Досрочное погашение 1: месяц 60, 500 000,00, уменьшить платеж")));
        QVERIFY(pages[0].contains(QStringLiteral("Остаток долга (правая шкала)"))); // the chart's legend
        // The titles on two lines: "Остаток долга" over two, "Проценты" in the middle.
        const QRegularExpression header(
            QStringLiteral("Остаток +Основной +Остаток *\\n *№ +Проценты +Платеж +Досрочно *\\n *долга +долг +после"));
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY2(header.match(pages[p]).hasMatch() || p == pages.size() - 1, qPrintable(QString::number(p + 1)));
            QVERIFY(pages[p].contains(QStringLiteral("Страница %1 из %2").arg(p + 1).arg(pages.size())));
        }
        // Month 1 and month 360 as table lines, each month exactly once.
        const ScheduleRow &first = r.schedule.rows.front();
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\n *1 +3 000 000,00 +22 500,00 +%1 +%2 +%3\\n")
                                                     .arg(shown(first.principal), shown(first.payment), shown(first.debtAfter)))));
        for (int month : {1, 59, 60, 61, 180, 360}) {
            const QRegularExpression line(QStringLiteral("\\n *%1 +[0-9 ]+,[0-9]{2} +[0-9 ]+,[0-9]{2} ").arg(month));
            int count = 0;
            for (auto it = line.globalMatch(text); it.hasNext(); it.next())
                ++count;
            QVERIFY2(count == 1, qPrintable(QStringLiteral("month %1: %2 lines").arg(month).arg(count)));
        }
        const ScheduleTotals totals = scheduleTotals(r.schedule);
        const QString paid = shown(totals.payment);
        QVERIFY(pages.last().contains(QRegularExpression(QStringLiteral("Итого +[0-9 ]+,[0-9]{2} +[0-9 ]+,[0-9]{2} +%1 +500 000,00").arg(paid))));
        QVERIFY(pages.last().contains(QStringLiteral("Экономия от досрочных погашений:")));
    }

    // A store that fails says why, keeps the old file and leaves no
    // temporary file beside it.
    void storeRefused_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("read-only folder") << "read-only folder";
        QTest::newRow("disk full") << "disk full";
        QTest::newRow("folder gone") << "folder gone";
    }
    void storeRefused()
    {
        QFETCH(QString, situation);
        std::unique_ptr<SmallDisk> disk;
        QString folder;
        if (situation == QLatin1String("disk full")) {
            disk = std::make_unique<SmallDisk>();
            QVERIFY(disk->isValid());
            folder = disk->path();
        } else {
            folder = dir.filePath(situation);
            QVERIFY(QDir().mkpath(folder));
        }
        const QString path = folder + QStringLiteral("/график.csv");
        put(path, "old");
        const QByteArray bytes(300 * 1024, 'x');
        QString reason;
        QString message;
        {
            std::unique_ptr<PermissionsEnforced> asAnyUser;
            if (situation == QLatin1String("read-only folder")) {
                QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
                asAnyUser = std::make_unique<PermissionsEnforced>();
                reason = QStringLiteral("нет прав на запись");
            } else if (situation == QLatin1String("disk full")) {
                disk->fill();
                reason = disk->fullSaveReason();
            } else {
                QVERIFY(QDir(folder).removeRecursively());
                reason = QStringLiteral("нет такой папки");
            }
            try {
                saveFileAtomically(path, bytes);
            } catch (const OrvelError &e) {
                message = e.message();
            }
        }
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        QVERIFY2(message.startsWith(QStringLiteral("Не удалось сохранить файл \"%1\": ").arg(path)), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        if (situation == QLatin1String("folder gone")) {
            QVERIFY(!QFileInfo::exists(folder));
            return;
        }
        QCOMPARE(contents(path), QByteArray("old"));
        QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        if (disk)
            for (const QString &filler : disk->fillers())
                left.removeAll(filler);
        QCOMPARE(left, QStringList{"график.csv"});
    }

    // A store replaces the whole file, whatever was there.
    void storeReplaces()
    {
        const QString path = dir.filePath(QStringLiteral("replace.csv"));
        put(path, QByteArray(100000, 'o'));
        saveFileAtomically(path, "new");
        QCOMPARE(contents(path), QByteArray("new"));
    }
};

QTEST_MAIN(TestScheduleFiles)
#include "test_schedule_files.moc"
