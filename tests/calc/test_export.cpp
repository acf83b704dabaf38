// The export machinery on a document of its own: cells as paper and CSV
// give them, a CSV of two tables, the workbook read back by openpyxl, the
// PDF read back by pdftotext, the chart as a picture, and a picture that
// cannot be made.
#include "calc/OrvelError.h"
#include "ReadBack.h"
#include "ui/export/Export.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPalette>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;
using namespace orveltest;

Q_DECLARE_METATYPE(orvel::ExportCell)

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);

// Two tables as a deposit window would give them: months with money and a
// rate, and a tax table whose rows spell their calculation out.
ExportDocument twoTables()
{
    ExportDocument d;
    d.title = QStringLiteral("Вклад");
    d.name = QStringLiteral("Вклад");
    d.inputs = {{QStringLiteral("Сумма"), {Kopecks{100000000}}},
                {QStringLiteral("Ставка"), {Percent{7.5}}},
                {QStringLiteral("Срок"), {std::int64_t(2)}, QStringLiteral("мес.")},
                {QStringLiteral("Только на бумаге"), {}, {}, ExportInput::OnPaper},
                {QStringLiteral("Только в книге"), {}, {}, ExportInput::InWorkbook}};
    ExportTable months;
    months.title = QStringLiteral("График");
    months.columns = {{QStringLiteral("Дата"), ColumnKind::Date},
                      {QStringLiteral("Доход"), ColumnKind::Money, true},
                      {QStringLiteral("Ставка"), ColumnKind::Percent}};
    months.rows = {{{QDate(2026, 1, 31), Kopecks{636986}, Percent{7.5}}},
                   {{QDate(2026, 2, 28), Kopecks{575342}, Percent{7.25}}}};
    months.totals = {QStringLiteral("Итого"), Kopecks{1212328}, ExportCell()};
    ExportTable tax;
    tax.title = QStringLiteral("Налог по годам");
    tax.columns = {{QStringLiteral("Год"), ColumnKind::Integer},
                   {QStringLiteral("Расчет"), ColumnKind::Formula},
                   {QStringLiteral("Налог"), ColumnKind::Money, true}};
    tax.rows = {{{std::int64_t(2026),
                  QStringLiteral("(1 212 328,00 − 210 000,00) × 13 %; доход сверх необлагаемой суммы, "
                                 "как его считает налоговая в \"уведомлении\""),
                  Kopecks{13030264}}}};
    tax.totals = {QStringLiteral("Итого"), ExportCell(), Kopecks{13030264}};
    d.tables = {months, tax};
    d.notes = {QStringLiteral("Итог вклада")};
    d.workbookCharts = {{WorkbookChart::Columns, QStringLiteral("Доход"), 0, 0, QString(), {{1}}},
                        {WorkbookChart::Line, QStringLiteral("Налог"), 1, 0, QStringLiteral("Год"), {{2}}}};
    return d;
}



} // namespace

class TestExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void cellTexts_data()
    {
        QTest::addColumn<ExportCell>("cell");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("csv");
        QTest::newRow("empty") << ExportCell() << "" << "";
        QTest::newRow("text") << ExportCell(QStringLiteral("Сократить срок")) << "Сократить срок" << "Сократить срок";
        QTest::newRow("date") << ExportCell(QDate(2026, 3, 1)) << "01.03.2026" << "01.03.2026";
        QTest::newRow("money") << ExportCell(Kopecks{-123456789}) << "-1\u00a0234\u00a0567,89" << "-1234567,89";
        QTest::newRow("percent") << ExportCell(Percent{7.25}) << "7,25 %" << "7,25";
        QTest::newRow("whole, no grouping") << ExportCell(std::int64_t(1200)) << "1200" << "1200";
        QTest::newRow("rate") << ExportCell(0.1498765) << "0,1498765" << "0,1498765";
    }
    void cellTexts()
    {
        QFETCH(ExportCell, cell);
        QFETCH(QString, paper);
        QFETCH(QString, csv);
        QCOMPARE(paperText(cell, kRussian), paper);
        QCOMPARE(csvText(cell), csv);
    }

    void inputLines()
    {
        QCOMPARE(inputLine({QStringLiteral("Срок"), {std::int64_t(12)}, QStringLiteral("мес.")}, kRussian),
                 QStringLiteral("Срок: 12 мес."));
        QCOMPARE(inputLine({QStringLiteral("Погашение"), {std::int64_t(3), Kopecks{2000000}}}, kRussian),
                 QStringLiteral("Погашение: 3, 20\u00a0000,00"));
        QCOMPARE(inputLine({QStringLiteral("Только подпись")}, kRussian), QStringLiteral("Только подпись"));
    }

    // Each table under its title, an empty line between them; a field with
    // a ";" or a quote is quoted.
    void csv()
    {
        const QByteArray expected =
            "\xEF\xBB\xBF"
            "График\r\n"
            "Дата;Доход;Ставка\r\n"
            "31.01.2026;6369,86;7,5\r\n"
            "28.02.2026;5753,42;7,25\r\n"
            "Итого;12123,28;\r\n"
            "\r\n"
            "Налог по годам\r\n"
            "Год;Расчет;Налог\r\n"
            "2026;\"(1 212 328,00 − 210 000,00) × 13 %; доход сверх необлагаемой суммы, как его считает налоговая в "
            "\"\"уведомлении\"\"\";130302,64\r\n"
            "Итого;;130302,64\r\n";
        QCOMPARE(documentCsv(twoTables()), expected);
    }

    // Cells in their formats, each table's sums over its own rows, no frozen
    // header with two tables, the charts over their tables' rows.
    void xlsx()
    {
        const QString path = dir.filePath(QStringLiteral("вклад.xlsx"));
        put(path, documentXlsx(twoTables()));
        const QJsonObject book = readWorkbook(path);
        QVERIFY2(!book.isEmpty(), "openpyxl did not read the workbook");
        const QJsonObject cells = book["cells"].toObject();
        const auto value = [&](const char *cell) { return cells[QLatin1String(cell)].toObject()["value"].toVariant(); };
        const auto format = [&](const char *cell) { return cells[QLatin1String(cell)].toObject()["format"].toString(); };

        QCOMPARE(value("A1").toString(), QStringLiteral("Вклад"));
        QCOMPARE(value("C2").toDouble(), 1000000.0);
        QCOMPARE(format("C2"), QStringLiteral("#,##0.00"));
        QCOMPARE(value("C3").toDouble(), 7.5);
        QCOMPARE(format("C3"), QStringLiteral("0.00\" %\""));
        QCOMPARE(value("A4").toString(), QStringLiteral("Срок, мес."));
        QCOMPARE(value("A5").toString(), QStringLiteral("Только в книге"));
        // Row 6 empty; the first table: title 7, header 8, rows 9-10, totals 11.
        QCOMPARE(value("A7").toString(), QStringLiteral("График"));
        QCOMPARE(value("B8").toString(), QStringLiteral("Доход"));
        QVERIFY(value("A9").toString().startsWith(QStringLiteral("2026-01-31")));
        QCOMPARE(format("A9"), QStringLiteral("dd.mm.yyyy"));
        QCOMPARE(value("B10").toDouble(), 5753.42);
        QCOMPARE(value("C10").toDouble(), 7.25);
        QCOMPARE(value("B11").toString(), QStringLiteral("=SUM(B9:B10)"));
        // Row 12 empty; the second: title 13, header 14, row 15, totals 16.
        QCOMPARE(value("A13").toString(), QStringLiteral("Налог по годам"));
        QCOMPARE(value("A15").toDouble(), 2026.0);
        QVERIFY(value("B15").toString().startsWith(QStringLiteral("(1 212 328,00")));
        QCOMPARE(value("C16").toString(), QStringLiteral("=SUM(C15:C15)"));
        QCOMPARE(cells["C16"].toObject()["cached"].toDouble(), 130302.64);
        QCOMPARE(value("A18").toString(), QStringLiteral("Итог вклада"));
        QVERIFY(book["frozen"].isNull());

        const QJsonArray charts = book["charts"].toArray();
        QCOMPARE(charts.size(), 2);
        QCOMPARE(charts[0].toObject()["type"].toString(), QStringLiteral("barChart"));
        QCOMPARE(charts[0].toObject()["series"].toArray(), QJsonArray{"'Вклад'!$B$9:$B$10"});
        QCOMPARE(charts[1].toObject()["type"].toString(), QStringLiteral("lineChart"));
        QCOMPARE(charts[1].toObject()["series"].toArray(), QJsonArray{"'Вклад'!$C$15"});
        QCOMPARE(charts[1].toObject()["categories"].toArray()[0].toString(), QStringLiteral("'Вклад'!$A$15"));
    }

    // Both tables with their titles and headers, the calculation wrapped
    // whole in its column, the paper-only input and not the workbook's.
    void pdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString path = dir.filePath(QStringLiteral("вклад.pdf"));
        put(path, documentPdf(twoTables(), kRussian));
        QString text = QString::fromUtf8(run(pdftotext, {path, QStringLiteral("-")}));
        text.replace(QChar(0xa0), QLatin1Char(' '));
        for (const char *expected : {"Вклад", "Сумма: 1 000 000,00", "Ставка: 7,5 %", "Срок: 2 мес.", "Только на бумаге",
                                     "График", "31.01.2026", "6 369,86", "7,25 %", "12 123,28", "Налог по годам",
                                     "130 302,64", "Итог вклада", "Страница 1 из 1"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!text.contains(QStringLiteral("Только в книге")));
        QString words = text.simplified();
        for (const char *part : {"(1 212 328,00", "необлагаемой", "\"уведомлении\""})
            QVERIFY2(words.contains(QString::fromUtf8(part)), part);
    }

    // The chart at its size in the window; without one there is no picture,
    // and saving it says so and writes nothing.
    void picture()
    {
        ExportDocument d = twoTables();
        d.chartSize = QSize(300, 200);
        d.chart = [](QPainter &p, const QRectF &target) { p.fillRect(target.adjusted(10, 10, -10, -10), Qt::blue); };
        const QImage png = QImage::fromData(documentPng(d), "PNG");
        QCOMPARE(png.size(), QSize(300, 200) * qApp->devicePixelRatio());
        QCOMPARE(png.pixelColor(150, 100), QColor(Qt::blue));
        QCOMPARE(png.pixelColor(2, 2), qApp->palette().window().color()); // around it, as on screen

        d.chart = nullptr;
        QVERIFY(documentPng(d).isEmpty());
        const QString path = dir.filePath(QStringLiteral("нет.png"));
        QString message;
        try {
            saveDocument(path, d, ExportFormat::Png);
        } catch (const OrvelError &e) {
            message = e.message();
        }
        QCOMPARE(message, QStringLiteral("Не удалось сохранить файл \"%1\": рисунок не удалось составить")
                              .arg(QDir::toNativeSeparators(path)));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
