// The penalties window as a person uses it: opened from the tax tab, debts
// and payments typed in, the table read back against the calculation's own
// figures, rows being typed left out with their notes, the errors of the
// whole calculation on the status line, and each file read back (.xlsx by
// openpyxl, .csv as text, .pdf and the printed pages by pdftotext).
//
// The key rate is the one shipped with the program, from a cache folder of
// the test's own; the bank's service is a closed port on 127.0.0.1.
#include "AppFixture.h"
#include "GuiTest.h"
#include "KeyRateSteps.h"
#include "ReadBack.h"
#include "calc/ScheduleReport.h"
#include "rates/KeyRateStore.h"
#include "ui/FileDialogs.h"
#include "ui/PrintDialog.h"
#include "ui/RowsEditor.h"
#include "ui/export/Export.h"
#include "ui/main/TForm1.h"
#include "ui/penalty/PenaltyChart.h"
#include "ui/penalty/PenaltyFiles.h"
#include "ui/penalty/PenaltyModel.h"
#include "ui/penalty/TPenaltyForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

using namespace orveltest;
using orvel::PenaltyKind;

namespace {

// The index of each kind in "PenaltyKind".
int kindIndex(PenaltyKind kind) { return kind == PenaltyKind::TaxPerson ? 0 : kind == PenaltyKind::TaxOrganisation ? 1 : 2; }

QString dateText(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

// Text as pdftotext gives it back: plain blanks for the grouping.
QString plain(QString text) { return text.replace(QChar(0xa0), QLatin1Char(' ')); }

QString pdfText(const QString &path)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        return QString();
    return plain(QString::fromUtf8(run(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")})));
}

} // namespace

class TestPenaltyWindow : public QObject {
    Q_OBJECT

    AppFixture app;
    QTemporaryDir dir;
    QTemporaryDir cache;

    TForm1 *w() { return app.w.form1; }
    TPenaltyForm *form() { return w()->findChild<TPenaltyForm *>(QStringLiteral("PenaltyForm")); }
    QAbstractItemModel *table() { return child<QTableView>(form(), "PenaltyTable")->model(); }
    QString status() { return child<QLabel>(form(), "PenaltyStatus")->text(); }
    QString total() { return child<QLabel>(form(), "PenaltyTotal")->text(); }

    template <typename T = QWidget>
    T *field(const char *what, int n)
    {
        return child<T>(form(), QStringLiteral("%1%2").arg(QLatin1String(what)).arg(n).toLatin1().constData());
    }
    QString note(const char *editor, int n) { return field<QLabel>(QStringLiteral("%1State").arg(QLatin1String(editor)).toLatin1().constData(), n)->text(); }

    // The editors report a change once per turn of the event loop.
    static void settle() { QCoreApplication::processEvents(); }

    // Opens the window from the tax tab; the boxes shown.
    QStringList open()
    {
        ModalWatcher boxes;
        click(w(), "PenaltyButton");
        settle();
        return boxes.texts();
    }
    void calculateTax(const QString &amount, const QString &rate)
    {
        child<QLineEdit>(w(), "Edit1")->setText(amount);
        child<QLineEdit>(w(), "Edit2")->setText(rate);
        child<QRadioButton>(w(), "RadioButton2")->setChecked(true);
        click(w(), "Button1");
    }

    void setKind(PenaltyKind kind) { child<QComboBox>(form(), "PenaltyKind")->setCurrentIndex(kindIndex(kind)); }
    void setUntil(const QDate &day) { child<QDateEdit>(form(), "PenaltyUntil")->setDate(day); }
    int debts() { return child<orvel::RowsEditor>(form(), "DebtEditor")->count(); }
    int payments() { return child<orvel::RowsEditor>(form(), "PaymentEditor")->count(); }

    // Typed, key by key, into row n of an editor (added when it is the next one).
    void type(const char *editor, int n, const QString &amount, const QDate &date)
    {
        const QString prefix = QLatin1String(editor);
        if ((prefix == QLatin1String("Debt") ? debts() : payments()) < n)
            click(form(), (prefix + QStringLiteral("Add")).toLatin1().constData());
        const bool debt = prefix == QLatin1String("Debt");
        field<QDateEdit>((prefix + (debt ? QStringLiteral("Due") : QStringLiteral("Date"))).toLatin1().constData(), n)
            ->setDate(date);
        auto *amountField = field<QLineEdit>((prefix + QStringLiteral("Amount")).toLatin1().constData(), n);
        amountField->clear();
        QTest::keyClicks(amountField, amount);
        settle();
    }
    void clearRows()
    {
        while (debts() > 0)
            click(form(), "DebtRemove1");
        while (payments() > 0)
            click(form(), "PaymentRemove1");
        settle();
    }

    // The organisation's debt of the example: 250 000 due 28.07.2024, half
    // paid on 15.01.2025, counted to the last day the shipped rate knows.
    orvel::PenaltyTerms example()
    {
        return {PenaltyKind::TaxOrganisation,
                {{25000000, QDate(2024, 7, 28)}},
                {{QDate(2025, 1, 15), 12500000}},
                QDate(2026, 3, 20),
                false};
    }
    void typeExample()
    {
        clearRows();
        setKind(PenaltyKind::TaxOrganisation);
        setUntil(QDate(2026, 3, 20));
        type("Debt", 1, QStringLiteral("250000"), QDate(2024, 7, 28));
        type("Payment", 1, QStringLiteral("125000"), QDate(2025, 1, 15));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(cache.isValid());
        QLocale::setDefault(commaLocale());
        // The store reads the cache folder of this test, and asks a port
        // where nothing listens.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        QVERIFY(app.start());
        w()->keyRateUrl = QStringLiteral("http://127.0.0.1:9/");
    }
    void cleanupTestCase()
    {
        orvel::setFileDialogHook({});
        orvel::setPrintDialogHook({});
        app.stop();
    }

    // The button sits on the tax tab beside "Расчет"; the window starts with
    // one debt holding the last tax, and a tax calculated later replaces it
    // until the user types an amount of their own.
    void openedFromTheTab()
    {
        auto *button = child<QPushButton>(w(), "PenaltyButton");
        QCOMPARE(button->text(), QStringLiteral("Пени и проценты…"));
        QVERIFY(w()->TabSheet1->isAncestorOf(button));
        QVERIFY(!form());

        calculateTax(QStringLiteral("1000"), QStringLiteral("18"));
        QCOMPARE(open(), QStringList());
        QVERIFY(form());
        QVERIFY(form()->isVisible());
        QVERIFY(form()->isWindow());
        QCOMPARE(form()->windowTitle(), QStringLiteral("Пени и проценты"));
        QCOMPARE(debts(), 1);
        QCOMPARE(payments(), 0);
        QCOMPARE(field<QLineEdit>("DebtAmount", 1)->text(), QStringLiteral("180"));
        QCOMPARE(child<QDateEdit>(form(), "PenaltyUntil")->date(), QDate::currentDate());
        QCOMPARE(child<QDateEdit>(form(), "PenaltyUntil")->displayFormat(), QStringLiteral("dd.MM.yyyy"));
        auto *kind = child<QComboBox>(form(), "PenaltyKind");
        QCOMPARE(kind->count(), 3);
        QCOMPARE(kind->itemText(2), QStringLiteral("Проценты по ст. 395 ГК РФ"));

        calculateTax(QStringLiteral("1000"), QStringLiteral("20"));
        TPenaltyForm *first = form();
        QCOMPARE(open(), QStringList());
        QCOMPARE(form(), first);
        QCOMPARE(field<QLineEdit>("DebtAmount", 1)->text(), QStringLiteral("200"));

        field<QLineEdit>("DebtAmount", 1)->setText(QStringLiteral("5000"));
        calculateTax(QStringLiteral("1000"), QStringLiteral("10"));
        QCOMPARE(open(), QStringList());
        QCOMPARE(field<QLineEdit>("DebtAmount", 1)->text(), QStringLiteral("5000"));
    }

    // Where the rate comes from, and to which day it is known; a later day
    // is refused on the status line, with no box and no figures.
    void keyRateStatus()
    {
        QCOMPARE(open(), QStringList());
        orvel::KeyRateStore *store = w()->keyRateStore();
        if (store->busy())
            QTRY_VERIFY_WITH_TIMEOUT(!store->busy(), 30000);
        settle();
        QCOMPARE(child<QLabel>(form(), "KeyRateStatus")->text(), store->statusText());
        QVERIFY(store->statusText().startsWith(
            QStringLiteral("Ключевая ставка: встроенные данные, известна по 20.03.2026")));

        clearRows();
        type("Debt", 1, QStringLiteral("1000"), QDate(2026, 1, 28));
        ModalWatcher boxes;
        setUntil(QDate(2026, 3, 21));
        settle();
        const QString reason = store->lastError().isEmpty() ? QString() : QStringLiteral(": ") + store->lastError();
        QCOMPARE(status(), QStringLiteral("Ключевая ставка известна по 20.03.2026") + reason);
        QVERIFY(child<QLabel>(form(), "PenaltyStatus")->isVisible());
        QCOMPARE(table()->rowCount(), 0);
        QVERIFY(!form()->hasResult());
        QVERIFY(!child<QPushButton>(form(), "PenaltySave")->isEnabled());

        setUntil(QDate(2026, 3, 20));
        QCOMPARE(status(), QString());
        QVERIFY(!child<QLabel>(form(), "PenaltyStatus")->isVisible());
        QCOMPARE(table()->rowCount(), 2); // the rate changed on 16.02.2026
        QCOMPARE(boxes.texts(), QStringList());
    }

    // Typed key by key: the table holds the calculation's rows, each figure
    // as it computes it, and the totals follow.
    void debtAndPaymentTyped()
    {
        QCOMPARE(open(), QStringList());
        typeExample();
        const orvel::PenaltyResult expected = orvel::penalties(example(), shippedKeyRate());
        QAbstractItemModel *m = table();
        QCOMPARE(m->rowCount(), int(expected.rows.size()));
        QCOMPARE(m->columnCount(), int(orvel::PenColCount));
        const QStringList titles{"Долг", "С", "По", "Дней", "Остаток долга", "Ставка", "Доля", "Формула", "Пени"};
        for (int c = 0; c < titles.size(); ++c)
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), titles[c]);
        for (int r = 0; r < m->rowCount(); ++r) {
            const orvel::PenaltyRow &e = expected.rows[std::size_t(r)];
            const auto figure = [&](int c) { return m->index(r, c).data(Qt::UserRole); };
            QCOMPARE(figure(orvel::PenColDebt).toInt(), 1);
            QCOMPARE(figure(orvel::PenColFrom).toDate(), e.from);
            QCOMPARE(figure(orvel::PenColTo).toDate(), e.to);
            QCOMPARE(figure(orvel::PenColDays).toInt(), e.days);
            QCOMPARE(figure(orvel::PenColBase).toLongLong(), e.base);
            QCOMPARE(figure(orvel::PenColRate).toDouble(), e.rate);
            QCOMPARE(figure(orvel::PenColShare).toInt(), e.shareDenominator);
            QCOMPARE(figure(orvel::PenColFormula).toString(), e.formula);
            QCOMPARE(figure(orvel::PenColAmount).toLongLong(), e.amount);
            QCOMPARE(m->index(r, orvel::PenColAmount).data().toString(), orvel::moneyText(e.amount));
            QCOMPARE(m->index(r, orvel::PenColShare).data().toString(), QStringLiteral("1/%1").arg(e.shareDenominator));
        }
        // The first run: 1/300 for the first 30 days of the delay at 18 %.
        QCOMPARE(m->index(0, orvel::PenColFrom).data().toString(), QStringLiteral("29.07.2024"));
        QCOMPARE(m->index(0, orvel::PenColBase).data().toString(), QStringLiteral("250\u00a0000,00"));
        QCOMPARE(m->index(0, orvel::PenColRate).data().toString(), QStringLiteral("18,00 %"));
        QCOMPARE(m->index(0, orvel::PenColAmount).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QVERIFY(total().startsWith(QStringLiteral("Пени всего: ") + orvel::moneyText(expected.total) + QStringLiteral(" ₽\n")));
        QVERIFY(total().contains(QStringLiteral("Остаток долга на 20.03.2026: 125\u00a0000,00 ₽")));
        QCOMPARE(note("Debt", 1), QStringLiteral("пени: ") + orvel::moneyText(expected.total));
        QCOMPARE(note("Payment", 1), QString());

        // The chart: the accrued line ends at the total, the rate is drawn
        // from the first day of the delay to the last day counted.
        orvel::PenaltyChart *chart = form()->chart();
        QCOMPARE(chart->accruedLine()->points().last().y(), expected.total / 100.0);
        QCOMPARE(chart->rateLine()->points().first().y(), 18.0);
        QCOMPARE(chart->rateLine()->points().last().y(), 15.5);
        QCOMPARE(chart->dateAxis()->min().date(), QDate(2024, 7, 29));
        QCOMPARE(chart->dateAxis()->max().date(), QDate(2026, 3, 21));
    }

    // A row still being typed, or one the calculation refuses, is left out,
    // and its note says why; the other rows still count, and no box shows.
    void rowLeftOut_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("note");
        QTest::newRow("debt, no amount yet") << "Debt" << "" << QDate(2025, 1, 28) << "Введите сумму";
        QTest::newRow("debt, not a number") << "Debt" << "12x" << QDate(2025, 1, 28)
                                            << "'12x' is not a valid floating point value";
        QTest::newRow("debt of 0") << "Debt" << "0" << QDate(2025, 1, 28)
                                   << "сумма должна быть больше 0 и не больше 100 млрд";
        QTest::newRow("debt below half a kopeck") << "Debt" << "0,004" << QDate(2025, 1, 28)
                                                  << "сумма должна быть больше 0 и не больше 100 млрд";
        QTest::newRow("debt beyond 100 billion") << "Debt" << "100000000000,01" << QDate(2025, 1, 28)
                                                 << "сумма должна быть больше 0 и не больше 100 млрд";
        QTest::newRow("debt before 2016") << "Debt" << "1000" << QDate(2014, 5, 1)
                                          << "не учтен: расчет возможен с 01.01.2016";
        QTest::newRow("payment, grouped digits") << "Payment" << "1 000" << QDate(2025, 2, 1)
                                                 << "'1 000' is not a valid floating point value";
        QTest::newRow("payment after the last day") << "Payment" << "1000" << QDate(2026, 3, 21)
                                                    << "не учтен: дата позже даты расчета 20.03.2026";
    }
    void rowLeftOut()
    {
        QFETCH(QString, editor);
        QFETCH(QString, amount);
        QFETCH(QDate, date);
        QFETCH(QString, note);
        QCOMPARE(open(), QStringList());
        typeExample();
        const QString expected = orvel::moneyText(orvel::penalties(example(), shippedKeyRate()).total);
        ModalWatcher boxes;
        const QByteArray name = editor.toLatin1();
        type(name.constData(), 2, amount, date);
        QCOMPARE(this->note(name.constData(), 2), note);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(status(), QString());
        QVERIFY2(total().startsWith(QStringLiteral("Пени всего: ") + expected), qPrintable(total()));
        // Once it reads, it counts.
        field<QLineEdit>((editor + QStringLiteral("Amount")).toLatin1().constData(), 2)->setText(QStringLiteral("1000"));
        field<QDateEdit>((editor + (editor == QLatin1String("Debt") ? QStringLiteral("Due") : QStringLiteral("Date")))
                             .toLatin1()
                             .constData(),
                         2)
            ->setDate(QDate(2025, 6, 1));
        settle();
        QVERIFY(this->note(name.constData(), 2) != note);
        QVERIFY(!total().startsWith(QStringLiteral("Пени всего: ") + expected + QStringLiteral(" ")));
    }

    // Errors of the whole calculation go to the status line.
    void wholeCalculationErrors()
    {
        QCOMPARE(open(), QStringList());
        clearRows();
        setUntil(QDate(2026, 3, 20));
        ModalWatcher boxes;
        QCOMPARE(status(), QStringLiteral("Нет ни одного долга"));
        type("Debt", 1, QStringLiteral("1000"), QDate(2026, 3, 20));
        QCOMPARE(status(), QStringLiteral("Дата расчета раньше первого дня просрочки 21.03.2026"));
        QCOMPARE(note("Debt", 1), QString());
        QCOMPARE(table()->rowCount(), 0);
        QCOMPARE(boxes.texts(), QStringList());
    }

    // Removing a debt renumbers those after it, in the editor and the table.
    void removedRowRenumbers()
    {
        QCOMPARE(open(), QStringList());
        clearRows();
        setKind(PenaltyKind::TaxPerson);
        setUntil(QDate(2026, 3, 20));
        type("Debt", 1, QStringLiteral("250000"), QDate(2024, 7, 28));
        type("Debt", 2, QStringLiteral("1000"), QDate(2025, 6, 1));
        QCOMPARE(table()->index(table()->rowCount() - 1, orvel::PenColDebt).data().toString(), QStringLiteral("2"));
        QVERIFY(total().contains(QStringLiteral("Долг 2 — пени: ")));
        click(form(), "DebtRemove1");
        settle();
        QCOMPARE(debts(), 1);
        QCOMPARE(field<QLineEdit>("DebtAmount", 1)->text(), QStringLiteral("1000"));
        QCOMPARE(table()->index(0, orvel::PenColDebt).data().toString(), QStringLiteral("1"));
        QCOMPARE(table()->index(0, orvel::PenColBase).data(Qt::UserRole).toLongLong(), 100000);
        QVERIFY(!form()->findChild<QWidget *>(QStringLiteral("DebtAmount2")));
        QVERIFY(!total().contains(QStringLiteral("Долг 1 —")));
    }

    // The moratorium box shows for art. 395 only, and counts only there.
    void moratorium()
    {
        QCOMPARE(open(), QStringList());
        clearRows();
        auto *box = child<QCheckBox>(form(), "PenaltyMoratorium");
        setUntil(QDate(2022, 12, 31));
        type("Debt", 1, QStringLiteral("100000"), QDate(2022, 3, 1));
        for (PenaltyKind kind : {PenaltyKind::TaxPerson, PenaltyKind::TaxOrganisation}) {
            setKind(kind);
            QVERIFY(box->isHidden());
        }
        setKind(PenaltyKind::CivilCode395);
        QVERIFY(!box->isHidden());
        QCOMPARE(table()->headerData(orvel::PenColAmount, Qt::Horizontal).toString(), QStringLiteral("Проценты"));
        box->setChecked(false);
        const qint64 without = form()->report().result.total;
        box->setChecked(true);
        QVERIFY(form()->report().result.total < without);
        for (int r = 0; r < table()->rowCount(); ++r) {
            const QDate from = table()->index(r, orvel::PenColFrom).data(Qt::UserRole).toDate();
            QVERIFY(from < QDate(2022, 4, 1) || from > QDate(2022, 10, 1));
        }
        QVERIFY(note("Debt", 1).startsWith(QStringLiteral("проценты: ")));
        // A tax kind ignores the box even when it is ticked.
        setKind(PenaltyKind::TaxPerson);
        QVERIFY(!form()->report().terms.moratorium2022);
        box->setChecked(false);
    }

    // The row where the tax penalties reach the debt is marked, and nothing
    // accrues after it.
    void capRowMarked()
    {
        QCOMPARE(open(), QStringList());
        clearRows();
        setKind(PenaltyKind::TaxOrganisation);
        setUntil(QDate(2026, 3, 20));
        type("Debt", 1, QStringLiteral("1000"), QDate(2017, 11, 1));
        const int last = table()->rowCount() - 1;
        QVERIFY(last > 0);
        QCOMPARE(form()->report().result.total, std::int64_t(100000));
        QVERIFY(table()->index(last, 0).data(Qt::BackgroundRole).isValid());
        QVERIFY(!table()->index(last - 1, 0).data(Qt::BackgroundRole).isValid());
        QVERIFY(table()->index(last, orvel::PenColFormula).data().toString().endsWith(
            QStringLiteral("ограничено суммой долга")));
        QCOMPARE(note("Debt", 1), QStringLiteral("пени: 1\u00a0000,00 — достигли суммы долга"));
    }

    // The accrued line: straight within a row, at the rows' sum after each.
    void accruedByDay()
    {
        orvel::PenaltyResult r{};
        r.rows.push_back({0, QDate(2024, 1, 1), QDate(2024, 1, 10), 10, 0, 10, 300, 1000, {}});
        r.rows.push_back({0, QDate(2024, 1, 11), QDate(2024, 1, 20), 10, 0, 10, 300, 333, {}});
        r.rows.push_back({1, QDate(2024, 1, 6), QDate(2024, 1, 15), 10, 0, 10, 300, 500, {}});
        const std::vector<QPointF> p = orvel::PenaltyChart::accruedByDay(r);
        const auto at = [](int y, int m, int d) { return qreal(QDate(y, m, d).toJulianDay()); };
        const std::vector<QPointF> expected{{at(2024, 1, 1), 0},       {at(2024, 1, 6), 5},
                                            {at(2024, 1, 11), 10 + 2.5}, {at(2024, 1, 16), 10 + 5 + 3.33 / 2},
                                            {at(2024, 1, 21), 18.33}};
        QCOMPARE(p.size(), expected.size());
        for (std::size_t i = 0; i < p.size(); ++i) {
            QCOMPARE(p[i].x(), expected[i].x());
            QVERIFY2(qAbs(p[i].y() - expected[i].y()) < 1e-9, qPrintable(QString::number(p[i].y())));
        }
        QCOMPARE(p.back().y(), 18.33); // exactly the rows' sum
    }

    // Each format through its menu entry and the save dialog, read back.
    void saved_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("xlsx") << "PenaltySaveXlsx" << "xlsx";
        QTest::newRow("csv") << "PenaltySaveCsv" << "csv";
        QTest::newRow("pdf") << "PenaltySavePdf" << "pdf";
    }
    void saved()
    {
        QFETCH(QString, entry);
        QFETCH(QString, suffix);
        QCOMPARE(open(), QStringList());
        typeExample();
        const QString path = dir.filePath(QStringLiteral("пени.") + suffix);
        orvel::FileDialogRequest asked;
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &r) {
            asked = r;
            return path;
        });
        ModalWatcher boxes;
        form()->findChild<QAction *>(entry)->trigger();
        orvel::setFileDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(asked.name, QStringLiteral("PenaltySaveDialog"));
        QCOMPARE(asked.fileName, QStringLiteral("Пени.") + suffix);
        QCOMPARE(status(), QStringLiteral("Сохранено: ") + path);
        const orvel::PenaltyReport &report = form()->report();
        if (suffix == QLatin1String("xlsx"))
            checkWorkbook(path, report);
        else if (suffix == QLatin1String("csv"))
            checkCsv(path, report);
        else
            checkPdf(pdfText(path), report);
    }

    // "Печать…" paints the same document on the printer the dialog chose
    // (here a PDF file); a cancelled dialog prints nothing.
    void printed()
    {
        QCOMPARE(open(), QStringList());
        typeExample();
        const QString path = dir.filePath(QStringLiteral("печать.pdf"));
        orvel::setPrintDialogHook([](QPrinter &) { return false; });
        click(form(), "PenaltyPrint");
        QVERIFY(!QFile::exists(path));
        orvel::setPrintDialogHook([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
        ModalWatcher boxes;
        click(form(), "PenaltyPrint");
        orvel::setPrintDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        checkPdf(pdfText(path), form()->report());
    }

    // For a person to look at: ORVEL_SCREENSHOT_DIR=<folder> saves the
    // window with the organisation's example counted to 01.12.2026, once on
    // the shipped rate (known to 20.03.2026: refused) and once on a kept
    // answer known to that day. That answer is the shipped one under a later
    // name: a stand-in for the layout, not the bank's data.
    void screenshot()
    {
        const QString folder = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("ORVEL_SCREENSHOT_DIR is not set");
        QCOMPARE(open(), QStringList());
        typeExample();
        setUntil(QDate(2026, 12, 1));
        QTest::qWait(300);
        QVERIFY(form()->grab().save(folder + QStringLiteral("/penalty-shipped-rate.png")));

        QTemporaryDir kept;
        QVERIFY(QFile::copy(orvel::shippedKeyRateFile(), orvel::keyRateCacheFile(kept.path(), QDate(2026, 12, 1))));
        orvel::KeyRateStore store(QStringLiteral("http://127.0.0.1:9/"), kept.path(), orvel::shippedKeyRateFile());
        TPenaltyForm window(&store);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.PenaltyKind->setCurrentIndex(kindIndex(PenaltyKind::TaxOrganisation));
        window.PenaltyUntil->setDate(QDate(2026, 12, 1));
        QTest::keyClicks(window.findChild<QLineEdit *>(QStringLiteral("DebtAmount1")), QStringLiteral("250000"));
        window.findChild<QDateEdit *>(QStringLiteral("DebtDue1"))->setDate(QDate(2024, 7, 28));
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("PaymentAdd")), Qt::LeftButton);
        window.findChild<QDateEdit *>(QStringLiteral("PaymentDate1"))->setDate(QDate(2025, 1, 15));
        QTest::keyClicks(window.findChild<QLineEdit *>(QStringLiteral("PaymentAmount1")), QStringLiteral("125000"));
        QTest::qWait(300);
        QVERIFY(window.hasResult());
        QVERIFY(window.grab().save(folder + QStringLiteral("/penalty-window.png")));
        const QString pdf = folder + QStringLiteral("/penalty-window.pdf");
        orvel::saveDocument(pdf, orvel::penaltyDocument(window.report(), QLocale(), [&](QPainter &p, const QRectF &r) {
                                orvel::PenaltyChart::render(window.report(), QLocale(), p, r);
                            }),
                            orvel::ExportFormat::Pdf);
    }

private:
    void checkWorkbook(const QString &path, const orvel::PenaltyReport &report)
    {
        const QJsonObject book = readWorkbook(path);
        QVERIFY2(!book.isEmpty(), "openpyxl could not read the workbook");
        const QJsonObject cells = book["cells"].toObject();
        QMap<QString, QString> byText; // a text cell's coordinate by its text
        for (auto it = cells.begin(); it != cells.end(); ++it)
            byText.insert(it.value().toObject()["value"].toVariant().toString(), it.key());
        const auto value = [&](const QString &cell) { return cells[cell].toObject()["value"].toVariant(); };
        const auto right = [](const QString &cell, int by) {
            return QString(QChar(cell[0].unicode() + by)) + cell.mid(1);
        };
        QCOMPARE(value(QStringLiteral("A1")).toString(), QStringLiteral("Пени по налогу: организация"));
        QVERIFY(byText.contains(QStringLiteral("Рассчитать по")));
        QVERIFY(value(right(byText[QStringLiteral("Рассчитать по")], 2)).toString().startsWith(QStringLiteral("2026-03-20")));
        QVERIFY(byText.contains(report.keyRateSource));
        QVERIFY(byText.contains(QStringLiteral("Долги")));
        QVERIFY(byText.contains(QStringLiteral("Платежи")));
        // The table: its formulas as texts, the amounts as numbers, the SUM.
        QVERIFY(byText.contains(QStringLiteral("Формула")));
        const QString firstFormula = byText[report.result.rows.front().formula];
        QVERIFY(!firstFormula.isEmpty());
        QCOMPARE(value(right(firstFormula, 1)).toDouble(), report.result.rows.front().amount / 100.0);
        const QString totals = byText[QStringLiteral("Итого")];
        const QJsonObject sum = cells[right(totals, orvel::PenColAmount)].toObject();
        QVERIFY(sum["value"].toString().startsWith(QStringLiteral("=SUM(I")));
        QCOMPARE(sum["cached"].toDouble(), report.result.total / 100.0);
        QVERIFY(byText.contains(orvel::penaltyTotalLines(report).front()));
    }

    void checkCsv(const QString &path, const orvel::PenaltyReport &report)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("Расчет;Пени по налогу: организация"));
        QCOMPARE(lines[1], QStringLiteral("Рассчитать по;20.03.2026"));
        QVERIFY(lines.contains(report.keyRateSource));
        QVERIFY(lines.contains(QStringLiteral("Долги;Сумма;Срок уплаты")));
        QVERIFY(lines.contains(QStringLiteral("1;250000,00;28.07.2024")));
        QVERIFY(lines.contains(QStringLiteral("Платежи;Сумма;Дата")));
        QVERIFY(lines.contains(QStringLiteral("1;125000,00;15.01.2025")));
        const int header = int(lines.indexOf(QStringLiteral("Долг;С;По;Дней;Остаток долга;Ставка;Доля;Формула;Пени")));
        QVERIFY(header > 0);
        const orvel::PenaltyRow &r = report.result.rows.front();
        QCOMPARE(lines[header + 1], QStringLiteral("1;%1;%2;%3;%4;%5;1/%6;%7;%8")
                                        .arg(dateText(r.from), dateText(r.to))
                                        .arg(r.days)
                                        .arg(orvel::plainMoneyText(r.base, QLatin1Char(',')),
                                             QString::number(r.rate).replace('.', ','))
                                        .arg(r.shareDenominator)
                                        .arg(r.formula, orvel::plainMoneyText(r.amount, QLatin1Char(','))));
        const int rows = int(report.result.rows.size());
        QCOMPARE(lines[header + 1 + rows],
                 QStringLiteral("Итого;;;;;;;;") + orvel::plainMoneyText(report.result.total, QLatin1Char(',')));
        for (const QString &line : orvel::penaltyTotalLines(report))
            QVERIFY2(lines.contains(line), qPrintable(line));
    }

    void checkPdf(const QString &text, const orvel::PenaltyReport &report)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY(text.contains(QStringLiteral("Пени по налогу: организация")));
        QVERIFY(text.contains(QStringLiteral("Рассчитать по: 20.03.2026")));
        QVERIFY(text.contains(QStringLiteral("Долг 1: 250 000,00 ₽, срок уплаты 28.07.2024")));
        QVERIFY(text.contains(QStringLiteral("Платеж 1: 125 000,00 ₽ от 15.01.2025")));
        QVERIFY(text.contains(plain(report.keyRateSource)));
        QVERIFY(text.contains(QStringLiteral("Формула")));
        // A formula may wrap in its cell: its start, then the amounts.
        QVERIFY(text.contains(plain(report.result.rows.front().formula).section(QStringLiteral(" × "), 0, 0)));
        QVERIFY(text.contains(plain(orvel::moneyText(report.result.rows.front().amount))));
        for (const QString &line : orvel::penaltyTotalLines(report))
            QVERIFY2(text.contains(plain(line)), qPrintable(line));
    }
};

QTEST_MAIN(TestPenaltyWindow)
#include "test_penalty_window.moc"
