// The deposit window as a person uses it: opened from the deposit tab, the
// terms and flows typed in, the schedule, tax table, summary and chart read
// back against the engine, saving and printing answered by the dialog hooks
// and the files read back.
#include "AppFixture.h"
#include "GuiTest.h"
#include "ReadBack.h"
#include "calc/DepositSchedule.h"
#include "calc/ScheduleReport.h"
#include "rates/KeyRateStore.h"
#include "ui/deposit/DepositChart.h"
#include "ui/deposit/DepositReport.h"
#include "ui/deposit/TDepositForm.h"
#include "ui/FileDialogs.h"
#include "ui/main/TForm1.h"
#include "ui/PrintDialog.h"
#include "ui/RowsEditor.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

using namespace orveltest;

namespace {

// The case a person looks at: 1 500 000 at 18 % from 15.03.2025 for 24
// months, capitalized monthly, 20 000 put in every month and 300 000 taken
// out on 15.03.2026.
const QDate kOpened(2025, 3, 15);
const QDate kWithdrawn(2026, 3, 15);

} // namespace

class TestDepositWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QTemporaryDir cacheHome;
    AppFixture app;

    TForm1 *w() { return app.w.form1; }
    TDepositForm *form() { return w()->findChild<TDepositForm *>(QStringLiteral("DepositForm")); }
    QAbstractItemModel *table() { return child<QTableView>(form(), "DepositTable")->model(); }
    QAbstractItemModel *totals() { return child<QTableView>(form(), "DepositTotals")->model(); }
    QAbstractItemModel *taxes() { return child<QTableView>(form(), "DepositTaxTable")->model(); }
    QString status() { return child<QLabel>(form(), "DepositStatus")->text(); }
    QString summary() { return child<QLabel>(form(), "DepositSummary")->text(); }
    static QVariant figure(QAbstractItemModel *m, int row, int column) { return m->index(row, column).data(Qt::UserRole); }
    static QString shown(QAbstractItemModel *m, int row, int column) { return m->index(row, column).data().toString(); }
    const orvel::KeyRateHistory &keyRate() { return w()->keyRateStore()->current().history; }

    // One calculation is queued per turn of the event loop; this lets it run.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // Opens (or refreshes) the window from the tab; returns the boxes shown.
    QStringList open(const QString &amount, const QString &rate, const QString &days, bool compound)
    {
        child<QLineEdit>(w(), "Edit3")->setText(amount);
        child<QLineEdit>(w(), "Edit4")->setText(rate);
        child<QLineEdit>(w(), "Edit5")->setText(days);
        child<QRadioButton>(w(), compound ? "RadioButton4" : "RadioButton3")->setChecked(true);
        ModalWatcher boxes;
        click(w(), "DepositScheduleButton");
        settle();
        return boxes.texts();
    }

    template <typename T = QWidget>
    T *flow(const char *what, int n)
    {
        return child<T>(form(), QStringLiteral("Flow%1%2").arg(QLatin1String(what)).arg(n).toLatin1().constData());
    }
    void addFlow(const QDate &date, const QString &amount, bool withdrawal)
    {
        click(form(), "FlowAdd");
        settle();
        const int n = form()->flows()->count();
        flow<QDateEdit>("Date", n)->setDate(date);
        flow<QComboBox>("Kind", n)->setCurrentIndex(withdrawal ? 1 : 0);
        QTest::keyClicks(flow<QLineEdit>("Amount", n), amount);
        settle();
    }
    void setField(const char *name, const QString &text)
    {
        auto *field = child<QLineEdit>(form(), name);
        field->selectAll();
        QTest::keyClicks(field, text);
        if (text.isEmpty())
            field->clear();
        settle();
    }

    // The case, typed into the window.
    void openTheCase()
    {
        QCOMPARE(open(QStringLiteral("1500000"), QStringLiteral("18"), QStringLiteral("730"), true), QStringList());
        child<QDateEdit>(form(), "DepositOpened")->setDate(kOpened);
        child<QComboBox>(form(), "DepositTermUnit")->setCurrentIndex(1);
        setField("DepositTerm", QStringLiteral("24"));
        setField("DepositMonthlyTopUp", QStringLiteral("20000"));
    }
    orvel::DepositTerms theCase(bool withdrawal = true)
    {
        orvel::DepositTerms t{150'000'000, 18, kOpened, QDate(2027, 3, 15), orvel::Capitalization::Monthly,
                              orvel::Payout::AtEnd, {}, 0, 0};
        t.flows = orvel::monthlyTopUps(t.opened, t.closes, 2'000'000);
        if (withdrawal)
            t.flows.push_back({kWithdrawn, -30'000'000});
        return t;
    }

    // The window's tables hold the engine's figures for these terms.
    void sameAsEngine(const orvel::DepositTerms &terms)
    {
        const orvel::DepositResult r = orvel::depositSchedule(terms, keyRate());
        QVERIFY(form()->reportCurrent());
        QCOMPARE(table()->rowCount(), int(r.rows.size()));
        for (int i = 0; i < int(r.rows.size()); ++i) {
            const orvel::DepositRow &e = r.rows[std::size_t(i)];
            QCOMPARE(figure(table(), i, orvel::DepFrom).toDate(), e.from);
            QCOMPARE(figure(table(), i, orvel::DepTo).toDate(), e.to);
            QCOMPARE(figure(table(), i, orvel::DepDays).toLongLong(), e.days);
            const std::int64_t money[] = {e.balance, e.accrued, e.capitalized + e.paidOut, e.flow, e.balanceAfter};
            for (int c = orvel::DepBalance; c <= orvel::DepBalanceAfter; ++c)
                QCOMPARE(figure(table(), i, c).toLongLong(), money[c - orvel::DepBalance]);
        }
        QCOMPARE(taxes()->rowCount(), int(r.years.size()));
        for (int i = 0; i < int(r.years.size()); ++i) {
            QCOMPARE(figure(taxes(), i, orvel::TaxYear).toLongLong(), r.years[std::size_t(i)].year);
            QCOMPARE(figure(taxes(), i, orvel::TaxInterest).toLongLong(), r.years[std::size_t(i)].interest);
        }
        QCOMPARE(figure(totals(), 0, orvel::DepCredited).toLongLong(), r.totalInterest);
        QCOMPARE(figure(totals(), 0, orvel::DepFlow).toLongLong(), r.topUps - r.withdrawals);
        QCOMPARE(form()->report().result.finalBalance, r.finalBalance);
        QCOMPARE(form()->report().result.totalTax, r.totalTax);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(cacheHome.isValid());
        // The key rate comes from the data shipped beside the program: no
        // cache of this user's, and the bank's service is a port nobody answers.
        qputenv("XDG_CACHE_HOME", cacheHome.path().toUtf8());
        QLocale::setDefault(commaLocale());
        QVERIFY(app.start());
        w()->keyRateUrl = QStringLiteral("http://127.0.0.1:9/DailyInfo.asmx");
    }
    void cleanupTestCase()
    {
        orvel::setFileDialogHook({});
        orvel::setPrintDialogHook({});
        app.stop();
        qunsetenv("XDG_CACHE_HOME");
    }
    void cleanup()
    {
        if (!form())
            return;
        form()->flows()->clear();
        for (const char *name : {"DepositMonthlyTopUp", "DepositMinimumBalance", "DepositOtherInterest"})
            child<QLineEdit>(form(), name)->clear();
        settle();
    }

    // A field the tab cannot read gives the tab's error box, and no window.
    void badTabField_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("box");
        QTest::newRow("amount") << "abc" << "x" << "y" << "'abc' is not a valid floating point value.";
        QTest::newRow("rate") << "1000" << "12.5" << "365" << "'12.5' is not a valid floating point value.";
        QTest::newRow("term") << "1000" << "12" << "" << "'' is not a valid floating point value.";
    }
    void badTabField()
    {
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, days);
        QFETCH(QString, box);
        QCOMPARE(open(amount, rate, days, false), QStringList{box});
        QVERIFY(!form());
    }

    // The button sits beside "Расчет" and leaves the tab's own line alone;
    // the window starts with the tab's figures and mode.
    void openedFromTheTab()
    {
        auto *button = child<QPushButton>(w(), "DepositScheduleButton");
        QCOMPARE(button->text(), QStringLiteral("Подробный расчет…"));
        QCOMPARE(button->parentWidget(), w()->TabSheet2);
        child<QLabel>(w(), "Label11")->setText(QStringLiteral("before"));

        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("10"), QStringLiteral("365"), false), QStringList());
        QVERIFY(form());
        QVERIFY(form()->isVisible());
        QVERIFY(form()->isWindow());
        QCOMPARE(form()->windowTitle(), QStringLiteral("Расчет вклада"));
        QCOMPARE(child<QLabel>(w(), "Label11")->text(), QStringLiteral("before"));
        QCOMPARE(child<QLabel>(form(), "DepositInputs")->text(),
                 QStringLiteral("Сумма вклада: 100\u00a0000,00    Процентная ставка: 10 %"));
        QCOMPARE(child<QLineEdit>(form(), "DepositTerm")->text(), QStringLiteral("365"));
        QCOMPARE(child<QComboBox>(form(), "DepositTermUnit")->currentText(), QStringLiteral("дней"));
        QCOMPARE(child<QComboBox>(form(), "DepositCapitalization")->currentText(), QStringLiteral("в конце срока"));
        const QDate today = QDate::currentDate();
        QCOMPARE(child<QDateEdit>(form(), "DepositOpened")->date(), today);
        QCOMPARE(child<QLabel>(form(), "DepositCloses")->text(), today.addDays(365).toString("dd.MM.yyyy"));
        QCOMPARE(status(), QString());
        orvel::DepositTerms simple{10'000'000, 10, today, today.addDays(365), orvel::Capitalization::None,
                                   orvel::Payout::AtEnd, {}, 0, 0};
        sameAsEngine(simple);
        QCOMPARE(table()->rowCount(), 1);
        QCOMPARE(table()->headerData(orvel::DepCredited, Qt::Horizontal).toString(), QStringLiteral("Выплачено"));
        QCOMPARE(shown(totals(), 0, 0), QStringLiteral("Итого"));

        // Compound interest starts capitalized monthly.
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("10"), QStringLiteral("365"), true), QStringList());
        QCOMPARE(child<QComboBox>(form(), "DepositCapitalization")->currentText(), QStringLiteral("ежемесячно"));
        simple.capitalization = orvel::Capitalization::Monthly;
        sameAsEngine(simple);
        QCOMPARE(table()->headerData(orvel::DepCredited, Qt::Horizontal).toString(), QStringLiteral("Причислено\nк вкладу"));
        QCOMPARE(table()->rowCount(), 12);
    }

    // Figures the tab reads but the schedule refuses: the window opens and
    // says why in its status line, with no box; nothing can be saved.
    void refusedFigures_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("message");
        QTest::newRow("amount 0") << "0" << "10" << "365" << "Сумма вклада должна быть больше 0 и не больше 100 млрд";
        QTest::newRow("amount huge") << "1e12" << "10" << "365" << "Сумма вклада должна быть больше 0 и не больше 100 млрд";
        QTest::newRow("rate") << "1000" << "101" << "365" << "Процентная ставка должна быть от 0 до 100";
        QTest::newRow("term 0") << "1000" << "10" << "0" << "Срок вклада должен быть целым числом дней от 1 до 18300";
        QTest::newRow("term part") << "1000" << "10" << "30,5" << "Срок вклада должен быть целым числом дней от 1 до 18300";
    }
    void refusedFigures()
    {
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, days);
        QFETCH(QString, message);
        QCOMPARE(open(amount, rate, days, false), QStringList());
        QCOMPARE(status(), message + QStringLiteral(". Расчет не обновлен."));
        QVERIFY(!form()->reportCurrent());
        QVERIFY(!child<QPushButton>(form(), "DepositSave")->isEnabled());
        QVERIFY(!child<QPushButton>(form(), "DepositPrint")->isEnabled());
    }

    // The window's own fields: a half-typed or refused one leaves the last
    // calculation shown and says why, naming the field.
    void badWindowField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("term empty") << "DepositTerm" << "" << "Введите срок вклада";
        QTest::newRow("term text") << "DepositTerm" << "2x" << "Срок: '2x' is not a valid floating point value";
        QTest::newRow("term long") << "DepositTerm" << "601" << "Срок вклада должен быть целым числом месяцев от 1 до 600";
        QTest::newRow("top-up text") << "DepositMonthlyTopUp" << "abc"
                                     << "Ежемесячное пополнение: 'abc' is not a valid floating point value";
        QTest::newRow("top-up negative") << "DepositMonthlyTopUp" << "-5"
                                         << "Ежемесячное пополнение должно быть больше 0 и не больше 100 млрд";
        QTest::newRow("minimum") << "DepositMinimumBalance" << "2000000"
                                 << "Неснижаемый остаток должен быть от 0 до суммы вклада";
        QTest::newRow("other") << "DepositOtherInterest" << "-1" << "Проценты по другим вкладам должны быть от 0 до 100 млрд";
    }
    void badWindowField()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        openTheCase();
        sameAsEngine(theCase(false));
        const QByteArray name = field.toLatin1();
        const QString before = child<QLineEdit>(form(), name.constData())->text();
        setField(name.constData(), text);
        QCOMPARE(status(), message + QStringLiteral(". Расчет не обновлен."));
        QVERIFY(!form()->reportCurrent());
        QVERIFY(!child<QPushButton>(form(), "DepositSave")->isEnabled());
        QCOMPARE(table()->rowCount(), 24); // the last result stays
        setField(name.constData(), before);
        QCOMPARE(status(), QString());
        sameAsEngine(theCase(false));
    }

    // Typed, not set: the withdrawal counts from its first digit, a row
    // still being typed is left out with its note, and a key rebuilds only
    // the rows from the flow's day on.
    void flowTyped()
    {
        openTheCase();
        QVERIFY(child<QLabel>(form(), "FlowHint")->isVisible());
        click(form(), "FlowAdd");
        settle();
        QCOMPARE(flow<QDateEdit>("Date", 1)->date(), kOpened.addMonths(1)); // a month after the opening
        QCOMPARE(flow<QLabel>("State", 1)->text(), QStringLiteral("Введите сумму"));
        sameAsEngine(theCase(false));

        flow<QDateEdit>("Date", 1)->setDate(kWithdrawn);
        flow<QComboBox>("Kind", 1)->setCurrentIndex(1);
        QLineEdit *amount = flow<QLineEdit>("Amount", 1);
        QTest::keyClicks(amount, QStringLiteral("3"));
        settle();
        orvel::DepositTerms t = theCase(false);
        t.flows.push_back({kWithdrawn, -300});
        sameAsEngine(t);

        QSignalSpy changes(table(), &QAbstractItemModel::dataChanged);
        QTest::keyClicks(amount, QStringLiteral("00000"));
        settle();
        sameAsEngine(theCase());
        QVERIFY(flow<QLabel>("State", 1)->isHidden());
        QVERIFY(!changes.isEmpty());
        int withdrawalRow = 0;
        while (figure(table(), withdrawalRow, orvel::DepTo).toDate() < kWithdrawn)
            ++withdrawalRow;
        for (const QList<QVariant> &change : changes)
            QVERIFY(change.at(0).toModelIndex().row() >= withdrawalRow);
        QVERIFY(table()->index(withdrawalRow, 0).data(Qt::BackgroundRole).isValid());
        QVERIFY(!table()->index(0, 0).data(Qt::BackgroundRole).isValid()); // a monthly top-up alone is not marked
        QCOMPARE(shown(table(), withdrawalRow, orvel::DepFlow), QStringLiteral("-280\u00a0000,00")); // with the top-up
        QCOMPARE(figure(totals(), 0, orvel::DepFlow).toLongLong(), 23 * 2'000'000 - 30'000'000);
        QVERIFY(summary().contains(QStringLiteral("Снято: 300\u00a0000,00")));

        QTest::keyClicks(amount, QStringLiteral("x"));
        settle();
        QCOMPARE(flow<QLabel>("State", 1)->text(), QStringLiteral("'300000x' is not a valid floating point value"));
        sameAsEngine(theCase(false));
        QCOMPARE(status(), QString()); // a row being typed does not stop the rest
        QTest::keyClick(amount, Qt::Key_Backspace);
        settle();
        sameAsEngine(theCase());

        // Removing the row takes it out of the calculation.
        click(form(), "FlowRemove1");
        settle();
        QCOMPARE(form()->flows()->count(), 0);
        sameAsEngine(theCase(false));
    }

    // Flows the schedule refuses are left out, each row saying why; the
    // rows around them still count, whatever the monthly top-ups before them.
    void flowLeftOut_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("withdrawal");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("note");
        QTest::newRow("before opening") << QDate(2025, 3, 15) << "1000" << false << ""
                                        << "не учтено: дата должна быть позже открытия и раньше закрытия вклада";
        QTest::newRow("after closing") << QDate(2027, 3, 15) << "1000" << false << ""
                                       << "не учтено: дата должна быть позже открытия и раньше закрытия вклада";
        QTest::newRow("below minimum") << QDate(2025, 6, 1) << "1100000" << true << "600000"
                                       << "не учтено: остаток станет меньше неснижаемого";
        QTest::newRow("zero kopecks") << QDate(2025, 6, 1) << "0,001" << false << ""
                                      << "не учтено: сумма не должна быть 0 и больше 100 млрд";
        QTest::newRow("not positive") << QDate(2025, 6, 1) << "-5" << true << "" << "Сумма должна быть больше 0";
    }
    void flowLeftOut()
    {
        QFETCH(QDate, date);
        QFETCH(QString, amount);
        QFETCH(bool, withdrawal);
        QFETCH(QString, minimum);
        QFETCH(QString, note);
        openTheCase();
        setField("DepositMinimumBalance", minimum);
        addFlow(QDate(2025, 5, 1), QStringLiteral("50000"), false);
        addFlow(date, amount, withdrawal);
        addFlow(kWithdrawn, QStringLiteral("300000"), true);
        QCOMPARE(flow<QLabel>("State", 2)->text(), note);
        QVERIFY(flow<QLabel>("State", 1)->isHidden());
        QVERIFY(flow<QLabel>("State", 3)->isHidden());
        orvel::DepositTerms t = theCase(false);
        t.minimumBalance = minimum.isEmpty() ? 0 : orvel::depositKopecks(minimum.toDouble());
        t.flows.push_back({QDate(2025, 5, 1), 5'000'000});
        t.flows.push_back({kWithdrawn, -30'000'000});
        sameAsEngine(t);
        QCOMPARE(status(), QString());
    }

    // Before 2021 other rules applied, 2021 and 2022 are exempt, later years
    // are taxed over the allowance of their key rate, and a year past the
    // known key rate takes the last known one, which the table and the
    // summary say plainly.
    void taxTable()
    {
        QCOMPARE(open(QStringLiteral("10000000"), QStringLiteral("10"), QStringLiteral("84"), true), QStringList());
        child<QDateEdit>(form(), "DepositOpened")->setDate(QDate(2020, 6, 15));
        child<QComboBox>(form(), "DepositTermUnit")->setCurrentIndex(1);
        setField("DepositOtherInterest", QStringLiteral("50000"));
        const orvel::DepositTerms t{1'000'000'000, 10, QDate(2020, 6, 15), QDate(2027, 6, 15),
                                    orvel::Capitalization::Monthly, orvel::Payout::AtEnd, {}, 0, 5'000'000};
        sameAsEngine(t);
        const QDate known = keyRate().knownUntil;
        QCOMPARE(known, QDate(2026, 3, 20));
        // Long titles on two lines.
        const QStringList titles{"Год", "Проценты", "Другие\nвклады", "Ключевая\nставка", "Не\nоблагается",
                                 "Облагается", "Налог", "Примечание"};
        for (int c = 0; c < orvel::TaxColumnCount; ++c)
            QCOMPARE(taxes()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(taxes()->rowCount(), 8); // 2020 .. 2027
        const orvel::DepositResult r = orvel::depositSchedule(t, keyRate());
        QCOMPARE(shown(taxes(), 0, orvel::TaxNote), QStringLiteral("не считается: в этом году действовали другие правила"));
        for (int c : {orvel::TaxKeyRate, orvel::TaxAllowance, orvel::TaxTaxable, orvel::TaxAmount})
            QCOMPARE(shown(taxes(), 0, c), QStringLiteral("—"));
        for (int row : {1, 2}) {
            QCOMPARE(shown(taxes(), row, orvel::TaxNote), QStringLiteral("не облагается: проценты этого года освобождены от налога"));
            QCOMPARE(shown(taxes(), row, orvel::TaxAmount), QStringLiteral("0,00"));
        }
        for (int row = 3; row < 8; ++row) {
            const orvel::DepositYear &y = r.years[std::size_t(row)];
            QCOMPARE(figure(taxes(), row, orvel::TaxKeyRate).toDouble(), y.keyRate);
            QCOMPARE(figure(taxes(), row, orvel::TaxAllowance).toLongLong(), y.allowance);
            QCOMPARE(figure(taxes(), row, orvel::TaxTaxable).toLongLong(), y.taxable);
            QCOMPARE(figure(taxes(), row, orvel::TaxAmount).toLongLong(), y.tax);
            const bool assumed = y.year >= 2026;
            QCOMPARE(y.keyRateAssumed, assumed);
            QCOMPARE(taxes()->index(row, 0).data(Qt::BackgroundRole).isValid(), assumed);
            if (assumed)
                QCOMPARE(shown(taxes(), row, orvel::TaxNote),
                         QStringLiteral("ставка принята по известной на 20.03.2026"));
        }
        QCOMPARE(shown(taxes(), 3, orvel::TaxKeyRate), QStringLiteral("15 %")); // 2023: the highest on a 1st (01.11, 01.12)
        QVERIFY(summary().contains(
            QStringLiteral("Необлагаемая сумма за 2026–2027 годы посчитана по последней известной ключевой ставке")));
        QVERIFY(summary().contains(QStringLiteral("Налог на доход: ") + orvel::moneyText(r.totalTax)));

        // When the bank could not be reached, the summary says so.
        orvel::DepositReport report = form()->report();
        report.keyRateError = QStringLiteral("нет связи с сервером ЦБ РФ");
        QVERIFY(orvel::depositSummaryLines(report).contains(
            QStringLiteral("Ключевая ставка известна по 20.03.2026: нет связи с сервером ЦБ РФ")));
    }

    // Where the key rate came from, as the store says it, under the summary.
    void keyRateStatus()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("10"), QStringLiteral("365"), false), QStringList());
        const QString text = child<QLabel>(form(), "KeyRateStatus")->text();
        QCOMPARE(text, w()->keyRateStore()->statusText());
        QVERIFY2(text.startsWith(QStringLiteral("Ключевая ставка: встроенные данные, известна по 20.03.2026")),
                 qPrintable(text));

        // A window over a store of its own: the answer kept in the cache folder.
        QTemporaryDir cache;
        const QString shipped = qEnvironmentVariable("ORVEL_SOURCE_DIR") + QStringLiteral("/data/keyrate-2026-03-20.xml");
        QVERIFY(QFile::copy(shipped, orvel::keyRateCacheFile(cache.path(), QDate(2026, 4, 30))));
        orvel::KeyRateStore store(QStringLiteral("http://127.0.0.1:9/"), cache.path(), shipped);
        TDepositForm window;
        window.setKeyRateStore(&store);
        window.setDeposit(100000, 10, 365, false);
        settle();
        QCOMPARE(child<QLabel>(&window, "KeyRateStatus")->text(), store.statusText());
        QVERIFY(store.statusText().startsWith(QStringLiteral("Ключевая ставка: из кэша, известна по 30.04.2026")));
        QCOMPARE(window.report().keyRateKnownUntil, QDate(2026, 4, 30));
    }

    // The summary: what went in, what comes back, and the effective rate
    // where there are no flows.
    void summaryLines()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("10"), QStringLiteral("12"), true), QStringList());
        child<QDateEdit>(form(), "DepositOpened")->setDate(QDate(2025, 1, 1));
        child<QComboBox>(form(), "DepositTermUnit")->setCurrentIndex(1);
        settle();
        const orvel::DepositResult &r = form()->report().result;
        QVERIFY(summary().contains(QStringLiteral("Эффективная ставка: ")
                                   + QLocale().toString(r.effectiveRate, 'f', 2) + QStringLiteral(" % годовых")));
        QVERIFY(summary().contains(QStringLiteral("Внесено всего: 100\u00a0000,00")));
        QVERIFY(summary().contains(QStringLiteral("Получено всего: ") + orvel::moneyText(r.finalBalance)));
        QVERIFY(summary().contains(QStringLiteral("Остаток на 01.01.2026: ") + orvel::moneyText(r.finalBalance)));

        // Paid out monthly: the balance stays, the interest comes back.
        child<QComboBox>(form(), "DepositCapitalization")->setCurrentIndex(1);
        settle();
        const orvel::DepositResult &p = form()->report().result;
        QCOMPARE(p.finalBalance, 10'000'000);
        QVERIFY(summary().contains(QStringLiteral("Выплачено процентов: ") + orvel::moneyText(p.paidOut)));
        QVERIFY(summary().contains(QStringLiteral("Получено всего: ") + orvel::moneyText(10'000'000 + p.paidOut)));
    }

    void chartFollowsTheSchedule()
    {
        openTheCase();
        addFlow(kWithdrawn, QStringLiteral("300000"), true);
        orvel::DepositChart *chart = form()->chart();
        const orvel::DepositResult &r = form()->report().result;
        QCOMPARE(chart->balanceLine()->count(), 1 + 2 * int(r.rows.size()));
        QCOMPARE(chart->putInLine()->count(), chart->balanceLine()->count());
        QCOMPARE(chart->balanceLine()->at(chart->balanceLine()->count() - 1).y(), r.finalBalance / 100.0);
        QCOMPARE(chart->creditPoints()->count(), 24); // a point per capitalization
        QCOMPARE(chart->putInLine()->at(chart->putInLine()->count() - 1).y(),
                 (150'000'000 + 23 * 2'000'000 - 30'000'000) / 100.0);
        const QString tip = chart->dayTip(kWithdrawn);
        QVERIFY2(tip.startsWith(QStringLiteral("15.03.2026\nОстаток: ")), qPrintable(tip));
        QVERIFY(tip.contains(QStringLiteral("Пополнение/снятие: -280\u00a0000,00"))); // with the month's top-up

        // Ten years capitalized daily: thinned for drawing, whole in the table.
        child<QComboBox>(form(), "DepositCapitalization")->setCurrentIndex(2);
        setField("DepositTerm", QStringLiteral("120"));
        QVERIFY(table()->rowCount() > 3600);
        QVERIFY(chart->balanceLine()->count() <= orvel::DepositChart::kMostPoints + 4 * 120);
        QCOMPARE(chart->creditPoints()->count(), 0);
        QCOMPARE(chart->balanceLine()->at(chart->balanceLine()->count() - 1).y(),
                 form()->report().result.finalBalance / 100.0);
    }

    // Each format through its menu entry and the save dialog, read back.
    void saved_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("xlsx") << "DepositSaveXlsx" << "xlsx";
        QTest::newRow("csv") << "DepositSaveCsv" << "csv";
        QTest::newRow("pdf") << "DepositSavePdf" << "pdf";
    }
    void saved()
    {
        QFETCH(QString, entry);
        QFETCH(QString, suffix);
        openTheCase();
        addFlow(kWithdrawn, QStringLiteral("300000"), true);
        const orvel::DepositResult r = form()->report().result;
        const QString path = dir.filePath(QStringLiteral("вклад.") + suffix);
        orvel::FileDialogRequest asked;
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &request) {
            asked = request;
            return path;
        });
        ModalWatcher boxes;
        form()->findChild<QAction *>(entry)->trigger();
        orvel::setFileDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(asked.name, QStringLiteral("DepositSaveDialog"));
        QCOMPARE(asked.fileName, QStringLiteral("Расчет вклада.") + suffix);
        QCOMPARE(status(), QStringLiteral("Сохранено: ") + path);
        if (suffix == QLatin1String("csv"))
            checkCsv(path, r);
        else if (suffix == QLatin1String("xlsx"))
            checkXlsx(path, r);
        else
            checkPdf(path, r);
    }

    // "Печать…" paints the same document on the printer the dialog chose
    // (here a PDF file); a cancelled dialog prints nothing.
    void printed()
    {
        openTheCase();
        addFlow(kWithdrawn, QStringLiteral("300000"), true);
        const QString path = dir.filePath(QStringLiteral("печать.pdf"));
        orvel::setPrintDialogHook([](QPrinter &) { return false; });
        click(form(), "DepositPrint");
        QVERIFY(!QFile::exists(path));
        orvel::setPrintDialogHook([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
        ModalWatcher boxes;
        click(form(), "DepositPrint");
        orvel::setPrintDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        checkPdf(path, form()->report().result);
    }

    // Closing hides the window; opening it again from the tab takes the
    // tab's figures and keeps the flows typed.
    void reopenKeepsFlows()
    {
        openTheCase();
        addFlow(kWithdrawn, QStringLiteral("300000"), true);
        TDepositForm *first = form();
        click(form(), "DepositClose");
        QVERIFY(!form()->isVisible());
        QCOMPARE(open(QStringLiteral("2000000"), QStringLiteral("18"), QStringLiteral("730"), false), QStringList());
        QCOMPARE(form(), first);
        QVERIFY(form()->isVisible());
        QCOMPARE(flow<QLineEdit>("Amount", 1)->text(), QStringLiteral("300000"));
        QCOMPARE(child<QComboBox>(form(), "DepositCapitalization")->currentText(), QStringLiteral("в конце срока"));
        QCOMPARE(form()->report().terms.amount, 200'000'000);
        QCOMPARE(form()->report().terms.flows.back().kopecks, -30'000'000);
    }

    // For a person to look at: ORVEL_SCREENSHOT_DIR=<folder> (best on a real
    // X server, QT_QPA_PLATFORM=xcb) saves the window with the case above.
    void screenshot()
    {
        const QString folder = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("ORVEL_SCREENSHOT_DIR is not set");
        openTheCase();
        addFlow(kWithdrawn, QStringLiteral("300000"), true);
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        QTest::qWait(300);
        QVERIFY(form()->grab().save(folder + QStringLiteral("/deposit-window.png")));
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) { return folder + QStringLiteral("/deposit.pdf"); });
        form()->DepositSavePdf->trigger();
        orvel::setFileDialogHook({});
        child<QTabWidget>(w(), "PageControl1")->setCurrentIndex(1);
        QTest::qWait(100);
        QVERIFY(w()->grab().save(folder + QStringLiteral("/deposit-tab.png")));
        // Ten years capitalized daily.
        child<QComboBox>(form(), "DepositCapitalization")->setCurrentIndex(2);
        setField("DepositTerm", QStringLiteral("120"));
        QTest::qWait(300);
        QVERIFY(form()->grab().save(folder + QStringLiteral("/deposit-window-10y.png")));
    }

private:
    void checkCsv(const QString &path, const orvel::DepositResult &r)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("С;По;Дней;Остаток;Начислено;Причислено к вкладу;Пополнение/снятие;Остаток после"));
        const int rows = int(r.rows.size());
        QCOMPARE(lines[1].section(';', 0, 1), QStringLiteral("16.03.2025;15.04.2025"));
        const QStringList last = lines[rows].split(';');
        QCOMPARE(last[7], orvel::plainMoneyText(r.finalBalance, QLatin1Char(',')));
        QVERIFY(lines[rows + 1].startsWith(QStringLiteral("Итого;;730;")));
        QCOMPARE(lines[rows + 2], QString());
        QCOMPARE(lines[rows + 3], QStringLiteral("Налог на доход по вкладам"));
        QCOMPARE(lines[rows + 4].section(';', 0, 0), QStringLiteral("Год"));
        QCOMPARE(lines[rows + 5].section(';', 0, 1),
                 QStringLiteral("2025;") + orvel::plainMoneyText(r.years[0].interest, QLatin1Char(',')));
    }

    void checkXlsx(const QString &path, const orvel::DepositResult &r)
    {
        const QJsonObject book = readWorkbook(path);
        QVERIFY2(!book.isEmpty(), "openpyxl could not read the workbook");
        const QJsonObject cells = book.value(QStringLiteral("cells")).toObject();
        // The numbers are numbers: the final balance in roubles, the tax years.
        QStringList values;
        bool balance = false, withdrawal = false;
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            const QJsonValue v = it.value().toObject().value(QStringLiteral("cached"));
            values << v.toVariant().toString();
            balance = balance || (v.isDouble() && qRound64(v.toDouble() * 100) == r.finalBalance);
            withdrawal = withdrawal || (v.isDouble() && qRound64(v.toDouble() * 100) == -28'000'000);
        }
        QVERIFY(balance);
        QVERIFY(withdrawal);
        for (const char *text : {"Расчет вклада", "Налог на доход по вкладам", "Пополнения и снятия", "Снятие", "Итого"})
            QVERIFY2(values.contains(QString::fromUtf8(text)), text);
        const QJsonArray charts = book.value(QStringLiteral("charts")).toArray();
        QCOMPARE(charts.size(), 1);
        QCOMPARE(charts[0].toObject().value(QStringLiteral("type")).toString(), QStringLiteral("lineChart"));
    }

    void checkPdf(const QString &path, const orvel::DepositResult &r)
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString text = QString::fromUtf8(run(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")}))
                                 .replace(QChar(0xa0), QLatin1Char(' '));
        const QString balance = orvel::moneyText(r.finalBalance).replace(QChar(0xa0), QLatin1Char(' '));
        for (const QString &part : {QStringLiteral("Расчет вклада"), QStringLiteral("Налог на доход по вкладам"),
                                    QStringLiteral("Снятие 1: 15.03.2026, 300 000,00"), QStringLiteral("Получено всего"),
                                    balance, QStringLiteral("2026–2027 годы")})
            QVERIFY2(text.contains(part), qPrintable(part));
    }
};

QTEST_MAIN(TestDepositWindow)
#include "test_deposit_window.moc"
