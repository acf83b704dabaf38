// The deposit, loan and keypad tabs of the main window as a person uses them,
// with a comma as the regional decimal separator.
#include "AppFixture.h"
#include "calc/Keypad.h"
#include "GuiTest.h"
#include "RecordingSpreadsheet.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace orveltest;

namespace {
// The keypad's keys by caption.
const char *keyName(const QString &caption)
{
    static const QHash<QString, const char *> names{
        {"1", "Button9"},  {"2", "Button10"}, {"3", "Button11"}, {"4", "Button12"},
        {"5", "Button13"}, {"6", "Button14"}, {"7", "Button15"}, {"8", "Button16"},
        {"9", "Button17"}, {"0", "Button18"}, {".", "Button19"}, {"-/+", "Button27"},
        {"-", "Button20"}, {"*", "Button21"}, {"/", "Button22"}, {"C", "Button23"},
        {"+", "Button24"}, {"=", "Button25"},
    };
    if (!names.contains(caption))
        qFatal("no key %s", qPrintable(caption));
    return names.value(caption);
}
} // namespace

class TestCalcTabs : public QObject {
    Q_OBJECT

    AppFixture app;
    orvel::OrvelWindows &w = app.w;

    void showPage(int index) { child<QTabWidget>(w.form1, "PageControl1")->setCurrentIndex(index); }
    void setText(const char *name, const QString &text) { child<QLineEdit>(w.form1, name)->setText(text); }
    QString label(const char *name) { return child<QLabel>(w.form1, name)->text(); }
    // An option reacts to clicks on its mark and caption only, not on the
    // rest of its grid cell.
    void clickOption(const char *name)
    {
        auto *option = child<QRadioButton>(w.form1, name);
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    }
    void check(const char *name) { child<QRadioButton>(w.form1, name)->setChecked(true); }

    void setDeposit(bool compound, bool leap, const QString &amount, const QString &rate, const QString &days,
                    const QString &periods)
    {
        check(compound ? "RadioButton4" : "RadioButton3");
        check(leap ? "RadioButton6" : "RadioButton5");
        setText("Edit3", amount);
        setText("Edit4", rate);
        setText("Edit5", days);
        setText("Edit6", periods);
    }

    void setLoan(bool annuity, const QString &amount, const QString &rate, const QString &term)
    {
        check(annuity ? "RadioButton7" : "RadioButton8");
        setText("Edit7", amount);
        setText("Edit8", rate);
        setText("Edit9", term);
    }

private slots:
    void initTestCase() { QVERIFY(app.start()); }
    void cleanupTestCase() { app.stop(); }

    // ---- deposit ----

    void depositControls()
    {
        showPage(1);
        const QList<std::pair<const char *, const char *>> texts{
            {"Label7", "Сумма вклада :"},  {"Label8", "Процентная ставка :"},
            {"Label9", "Срок вклада в днях :"}, {"Label10", "Число периодов :"},
            {"Label11", ""},
        };
        for (const auto &[name, text] : texts)
            QCOMPARE(label(name), QString::fromUtf8(text));
        QCOMPARE(child<QLineEdit>(w.form1, "Edit3")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(w.form1, "Edit4")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(w.form1, "Edit5")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(w.form1, "Edit6")->text(), QStringLiteral("1"));
        QCOMPARE(child<QRadioButton>(w.form1, "RadioButton3")->text(), QStringLiteral("Простые проценты"));
        QCOMPARE(child<QRadioButton>(w.form1, "RadioButton4")->text(), QStringLiteral("Сложные проценты"));
        QCOMPARE(child<QRadioButton>(w.form1, "RadioButton5")->text(), QStringLiteral("Обычный год"));
        QCOMPARE(child<QRadioButton>(w.form1, "RadioButton6")->text(), QStringLiteral("Високосный год"));
        QCOMPARE(child<QPushButton>(w.form1, "Button2")->text(), QStringLiteral("Расчет"));
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton3")->isChecked());
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton5")->isChecked());
        QVERIFY(child<QLabel>(w.form1, "Label11")->font().bold());
        // Simple interest at first show: no periods field.
        QVERIFY(!child<QLineEdit>(w.form1, "Edit6")->isVisible());
        QVERIFY(!child<QLabel>(w.form1, "Label10")->isVisible());
    }

    void depositOptions()
    {
        showPage(1);
        auto *edit6 = child<QLineEdit>(w.form1, "Edit6");
        auto *label10 = child<QLabel>(w.form1, "Label10");
        clickOption("RadioButton4");
        QVERIFY(edit6->isVisible());
        QVERIFY(label10->isVisible());
        // The year length is a choice of its own.
        clickOption("RadioButton6");
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton4")->isChecked());
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton6")->isChecked());
        clickOption("RadioButton3");
        QVERIFY(!edit6->isVisible());
        QVERIFY(!label10->isVisible());
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton6")->isChecked());
        clickOption("RadioButton5");
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton3")->isChecked());
    }

    void deposit_data()
    {
        QTest::addColumn<bool>("compound");
        QTest::addColumn<bool>("leap");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("periods");
        QTest::addColumn<QString>("line");
        QTest::newRow("simple 365") << false << false << "100000" << "10" << "365" << "1"
                                    << "Вклад+проценты: 110000. Проценты: 10000";
        QTest::newRow("simple 366") << false << true << "100000" << "10" << "365" << "1"
                                    << "Вклад+проценты: 109972,68. Проценты: 9972,68";
        QTest::newRow("simple 100 days") << false << false << "1000" << "10" << "100" << "1"
                                         << "Вклад+проценты: 1027,4. Проценты: 27,4";
        QTest::newRow("compound 1 period") << true << false << "100000" << "10" << "365" << "1"
                                           << "Вклад+проценты: 110000. Проценты: 10000";
        // The whole term's growth per period: 1.1^12, not a monthly rate.
        QTest::newRow("compound 12 periods") << true << false << "100000" << "10" << "365" << "12"
                                             << "Вклад+проценты: 313842,84. Проценты: 213842,84";
        QTest::newRow("compound 30 days") << true << false << "100000" << "12" << "30" << "12"
                                          << "Вклад+проценты: 112499,24. Проценты: 12499,24";
        QTest::newRow("compound 0 periods") << true << false << "1000" << "10" << "100" << "0"
                                            << "Вклад+проценты: 1000. Проценты: 0";
        QTest::newRow("compound 1,5 periods") << true << false << "100000" << "10" << "365" << "1,5"
                                              << "Вклад+проценты: 115368,97. Проценты: 15368,97";
        QTest::newRow("simple 0 days") << false << false << "1234,567" << "10" << "0" << "1"
                                       << "Вклад+проценты: 1234,57. Проценты: 0";
        QTest::newRow("compound 0 days") << true << false << "1234,567" << "10" << "0" << "5"
                                         << "Вклад+проценты: 1234,57. Проценты: 0";
        // Interest comes from the balance before rounding: 1234.567 * 1.1 - 1234.567.
        QTest::newRow("compound interest unrounded") << true << false << "1234,567" << "10" << "365" << "1"
                                                     << "Вклад+проценты: 1358,02. Проценты: 123,46";
    }
    void deposit()
    {
        QFETCH(bool, compound);
        QFETCH(bool, leap);
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, days);
        QFETCH(QString, periods);
        QFETCH(QString, line);
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        showPage(1);
        setDeposit(compound, leap, amount, rate, days, periods);
        click(w.form1, "Button2");
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(label("Label11"), line);
    }

    void depositFailures_data()
    {
        QTest::addColumn<bool>("compound");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("periods");
        QTest::addColumn<QString>("box");
        QTest::newRow("bad amount") << false << "abc" << "x" << "y" << "z" << "'abc' is not a valid floating point value.";
        QTest::newRow("rate before term") << true << "1" << "x" << "y" << "z" << "'x' is not a valid floating point value.";
        QTest::newRow("term before periods") << false << "1" << "2" << "y" << "z" << "'y' is not a valid floating point value.";
        QTest::newRow("periods read in simple mode") << false << "1" << "2" << "3" << "z" << "'z' is not a valid floating point value.";
        QTest::newRow("full stop") << false << "100.5" << "2" << "3" << "1" << "'100.5' is not a valid floating point value.";
        QTest::newRow("empty periods") << true << "1" << "2" << "3" << "" << "'' is not a valid floating point value.";
        // g = 0: R * D / Y / 100 = -1.
        QTest::newRow("zero growth, negative periods") << true << "1000" << "-100" << "365" << "-1" << "Floating point division by zero.";
        QTest::newRow("negative growth, fractional periods") << true << "1000" << "-200" << "365" << "1,5" << "Invalid floating point operation.";
        QTest::newRow("hundredths beyond 64 bits") << false << "1E17" << "0" << "0" << "1" << "Invalid floating point operation.";
        QTest::newRow("balance beyond double") << true << "100000" << "10" << "365" << "100000" << "Floating point overflow.";
        QTest::newRow("amount beyond double") << false << "1E400" << "0" << "0" << "1" << "Floating point overflow.";
    }
    void depositFailures()
    {
        QFETCH(bool, compound);
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, days);
        QFETCH(QString, periods);
        QFETCH(QString, box);
        LocaleScope locale(commaLocale());
        showPage(1);
        // A good result first, which the failure must leave in place.
        setDeposit(false, false, "100000", "10", "365", "1");
        click(w.form1, "Button2");
        const QString before = label("Label11");
        QCOMPARE(before, QStringLiteral("Вклад+проценты: 110000. Проценты: 10000"));

        ModalWatcher boxes;
        setDeposit(compound, false, amount, rate, days, periods);
        click(w.form1, "Button2");
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].text, box);
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Orvel"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(label("Label11"), before);
    }

    // ---- loan ----

    void loanControls()
    {
        showPage(2);
        QCOMPARE(label("Label12"), QStringLiteral("Сумма кредита: "));
        QCOMPARE(label("Label13"), QStringLiteral("Процентная ставка:"));
        QCOMPARE(label("Label14"), QStringLiteral("Срок кредита (мес):"));
        for (const char *edit : {"Edit7", "Edit8", "Edit9"})
            QCOMPARE(child<QLineEdit>(w.form1, edit)->text(), QStringLiteral("0"));
        QCOMPARE(child<QRadioButton>(w.form1, "RadioButton7")->text(), QStringLiteral("Аннуитетные платежи"));
        QCOMPARE(child<QRadioButton>(w.form1, "RadioButton8")->text(), QStringLiteral("Дифференцированные платежи"));
        QVERIFY(child<QRadioButton>(w.form1, "RadioButton7")->isChecked());
        QCOMPARE(child<QPushButton>(w.form1, "Button5")->text(), QStringLiteral("Расчет"));

        // The initial texts: rate 0 is 0/0, and the labels stay empty.
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        click(w.form1, "Button5");
        QCOMPARE(boxes.texts(), QStringList{"Invalid floating point operation."});
        for (const char *l : {"Label15", "Label16", "Label17"}) {
            QCOMPARE(label(l), QString());
            QVERIFY(child<QLabel>(w.form1, l)->font().bold());
        }
    }

    void loan_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("payment");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("overpayment");
        QTest::newRow("100000 12% 12") << "100000" << "12" << "12" << "8884,88" << "106618,55" << "6618,55";
        QTest::newRow("zero amount") << "0" << "12" << "12" << "0" << "0" << "0";
        QTest::newRow("term 12,5") << "100000" << "12" << "12,5" << "8550,3" << "106878,7" << "6878,7";
    }
    void loan()
    {
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, term);
        QFETCH(QString, payment);
        QFETCH(QString, total);
        QFETCH(QString, overpayment);
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        showPage(2);
        setLoan(true, amount, rate, term);
        click(w.form1, "Button5");
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(label("Label15"), QStringLiteral("Ежемесячный платеж: %1.p").arg(payment));
        QCOMPARE(label("Label16"), QStringLiteral("Полная стоимость кредита: %1.p").arg(total));
        QCOMPARE(label("Label17"), QStringLiteral("Переплата за пользование кредитом: %1.p").arg(overpayment));
    }

    void loanFailures_data()
    {
        QTest::addColumn<bool>("annuity");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("box");
        QTest::newRow("bad amount") << true << "abc" << "x" << "y" << "'abc' is not a valid floating point value.";
        QTest::newRow("bad amount, differentiated") << false << "abc" << "x" << "y" << "'abc' is not a valid floating point value.";
        QTest::newRow("bad rate") << true << "1" << "x" << "y" << "'x' is not a valid floating point value.";
        QTest::newRow("bad term, differentiated") << false << "1" << "2" << "" << "'' is not a valid floating point value.";
        QTest::newRow("rate 0") << true << "100000" << "0" << "12" << "Invalid floating point operation.";
        QTest::newRow("term 0") << true << "100000" << "12" << "0" << "Floating point division by zero.";
        QTest::newRow("power overflows") << true << "100000" << "1200" << "20000" << "Floating point overflow.";
        QTest::newRow("hundredfold beyond 64 bits") << true << "1E17" << "12" << "12" << "Invalid floating point operation.";
        QTest::newRow("negative growth, fractional term") << true << "1000" << "-1300" << "1,5" << "Invalid floating point operation.";
    }
    void loanFailures()
    {
        QFETCH(bool, annuity);
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, term);
        QFETCH(QString, box);
        LocaleScope locale(commaLocale());
        showPage(2);
        setLoan(true, "100000", "12", "12");
        click(w.form1, "Button5");
        const QStringList before{label("Label15"), label("Label16"), label("Label17")};
        QCOMPARE(before[0], QStringLiteral("Ежемесячный платеж: 8884,88.p"));

        ModalWatcher boxes;
        setLoan(annuity, amount, rate, term);
        click(w.form1, "Button5");
        QCOMPARE(boxes.texts(), QStringList{box});
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Orvel"));
        QCOMPARE((QStringList{label("Label15"), label("Label16"), label("Label17")}), before);
    }

    // Differentiated payments leave the annuity's lines for the total and the
    // overpayment alone.
    void differentiatedKeepsAnnuityLines()
    {
        LocaleScope locale(commaLocale());
        showPage(2);
        setLoan(true, "100000", "12", "12");
        click(w.form1, "Button5");
        ModalWatcher boxes; // the export may report on its own
        // The export talks to a recording spreadsheet whose workbook counts as
        // saved, so no save dialog waits for an answer.
        SpreadsheetLog log;
        log.unsaved = false;
        RecordingScope spreadsheet(log);
        setLoan(false, "50000", "10", "6");
        click(w.form1, "Button5");
        QCOMPARE(label("Label16"), QStringLiteral("Полная стоимость кредита: 106618,55.p"));
        QCOMPARE(label("Label17"), QStringLiteral("Переплата за пользование кредитом: 6618,55.p"));
        check("RadioButton7");
    }

    // ---- keypad ----

    void keypad_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("box"); // empty: none
        QTest::addColumn<bool>("operationsEnabled");
        QTest::addColumn<double>("result"); // the calculator's last result afterwards
        const auto keys = [](const char *s) { return QString::fromLatin1(s).split(QLatin1Char(' ')); };
        QTest::newRow("equals with nothing pending") << keys("5 =") << "0" << "" << true << 0.0;
        QTest::newRow("plus") << keys("2 + 3 =") << "5" << "" << true << 5.0;
        QTest::newRow("plus repeated") << keys("2 + 3 = =") << "7" << "" << true << 7.0;
        QTest::newRow("plus repeated twice") << keys("2 + 3 = = =") << "9" << "" << true << 9.0;
        QTest::newRow("minus") << keys("1 0 - 3 =") << "7" << "" << true << 7.0;
        QTest::newRow("minus repeated") << keys("1 0 - 3 = =") << "3" << "" << true << 3.0;
        QTest::newRow("minus repeated twice") << keys("1 0 - 3 = = =") << "7" << "" << true << 7.0;
        QTest::newRow("times") << keys("6 * 7 =") << "42" << "" << true << 42.0;
        QTest::newRow("fifteen digits") << keys("1 / 3 =") << "0,333333333333333" << "" << true << 1.0 / 3;
        QTest::newRow("operation on a result") << keys("2 + 3 = + =") << "8" << "" << true << 8.0;
        QTest::newRow("C keeps the pending operation") << keys("2 + 3 = C 4 =") << "4" << "" << true << 4.0;
        QTest::newRow("digit extends a result") << keys("2 + 3 = 1") << "51" << "" << true << 5.0;
        QTest::newRow("digits after decimals") << keys("1 / 4 = 1") << "0,251" << "" << true << 0.25;
        QTest::newRow("operation keys disabled") << keys("2 +") << "" << "" << false << 0.0;
        QTest::newRow("disabled key not pressed") << keys("2 + * 3 =") << "5" << "" << true << 5.0;
        QTest::newRow("C enables operations") << keys("2 + C") << "" << "" << true << 0.0;
        QTest::newRow("sign") << keys("5 -/+") << "-5" << "" << true << 0.0;
        QTest::newRow("full stop is sign") << keys("5 .") << "-5" << "" << true << 0.0;
        QTest::newRow("sign twice") << keys("5 -/+ .") << "5" << "" << true << 0.0;
        QTest::newRow("digit after sign") << keys("5 -/+ 3") << "-53" << "" << true << 0.0;
        QTest::newRow("sign of second operand") << keys("5 + 3 -/+ =") << "2" << "" << true << 2.0;
        QTest::newRow("sign on empty display") << keys("-/+") << "" << "'' is not a valid floating point value." << true << 0.0;
        QTest::newRow("sign after operation key") << keys("5 + .") << "" << "'' is not a valid floating point value." << false << 0.0;
        QTest::newRow("divide by zero") << keys("7 / 0 =") << "0" << "Floating point division by zero." << false << 0.0;
        QTest::newRow("zero by zero") << keys("0 / 0 =") << "0" << "Invalid floating point operation." << false << 0.0;
        QTest::newRow("failure keeps the result") << keys("2 + 3 = / 0 =") << "0" << "Floating point division by zero." << false << 5.0;
        QTest::newRow("C after a failure") << keys("7 / 0 = C") << "" << "Floating point division by zero." << true << 0.0;
        // 10^20 times 10^20, then times 10^20 at each further "=": 10^320 does not fit.
        QStringList overflow = keys("1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 *");
        overflow += keys("1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 =");
        for (int i = 0; i < 14; ++i)
            overflow << QStringLiteral("=");
        QTest::newRow("overflow") << overflow << "1E300" << "Floating point overflow." << true << 1e300;
    }
    void keypad()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, display);
        QFETCH(QString, box);
        QFETCH(bool, operationsEnabled);
        QFETCH(double, result);
        LocaleScope locale(commaLocale());
        showPage(4);
        // Start from the state of a fresh process.
        click(w.form1, "Button23");
        orvel::keypad() = orvel::Keypad{};

        ModalWatcher boxes;
        for (const QString &key : keys)
            click(w.form1, keyName(key));
        QCOMPARE(boxes.texts(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(child<QLineEdit>(w.form1, "Edit11")->text(), display);
        for (const char *op : {"Button20", "Button21", "Button22", "Button24"})
            QCOMPARE(child<QPushButton>(w.form1, op)->isEnabled(), operationsEnabled);
        QCOMPARE(orvel::keypad().result, result);
    }

    void keypadControls()
    {
        showPage(4);
        auto *display = child<QLineEdit>(w.form1, "Edit11");
        QVERIFY(display->isReadOnly());
        const QStringList captions{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0",
                                   ".", "-/+", "-", "*", "/", "C", "+", "="};
        for (const QString &c : captions)
            QCOMPARE(child<QPushButton>(w.form1, keyName(c))->text(), c);
        // Typing does not reach the display.
        display->clear();
        QTest::keyClicks(display, QStringLiteral("12"));
        QCOMPARE(display->text(), QString());
    }
};

QTEST_MAIN(TestCalcTabs)
#include "test_calc_tabs.moc"
