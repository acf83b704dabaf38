// The main window as a person meets it: start-up, tabs, function keys, and the
// tax calculator with its error boxes.
#include "GuiTest.h"
#include "Startup.h"
#include "TForm1.h"
#include "TForm2.h"
#include "Tnds.h"
#include "Tnull1.h"
#include "Numbers.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace orveltest;

class TestMainWindow : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir workDir;
    QString oldDir;

private slots:
    void initTestCase()
    {
        // A working directory without cbr.xml.
        oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        w = orvel::createOrvelWindows();
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
    }
    void cleanupTestCase()
    {
        orvel::destroyOrvelWindows(w);
        QDir::setCurrent(oldDir);
    }

    void startup()
    {
        QCOMPARE(w.form1->windowTitle(), QStringLiteral("Kestrin Orvel"));
        QVERIFY(!(w.form1->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.form2 && w.nds && w.null1);
        QVERIFY(!w.form2->isVisible());
        QVERIFY(!w.nds->isVisible());
        QVERIFY(!w.null1->isVisible());
        auto *pages = child<QTabWidget>(w.form1, "PageControl1");
        const QStringList captions{"Налоги / Декларации (F1)", "Вклады (F2)", "Кредит (F3)",
                                   "Конвертер валют (F4)", "Калькулятор (F5)"};
        QCOMPARE(pages->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(pages->tabText(i), captions[i]);
            QCOMPARE(pages->widget(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
        }
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(child<QLabel>(w.form1, "Label5")->text(), QStringLiteral("Студия Kestrin"));
        const QList<QAction *> menu = w.form1->menuBar()->actions();
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu[0]->text(), QStringLiteral("?"));
        QCOMPARE(w.form1->N2->text(), QStringLiteral("О программе"));
        QCOMPARE(w.form1->N3->text(), QStringLiteral("Выход"));
    }

    void functionKeysSwitchTabs()
    {
        auto *pages = child<QTabWidget>(w.form1, "PageControl1");
        // F4 is left out here: the converter tab probes the network when shown.
        for (int key : {2, 3, 5, 1}) {
            QTest::keyClick(w.form1, Qt::Key(Qt::Key_F1 + key - 1));
            QCOMPARE(pages->currentIndex(), key - 1);
        }
        w.form1->showMinimized();
        w.form1->HotKey(2);
        QVERIFY(!w.form1->isMinimized());
        QCOMPARE(pages->currentIndex(), 1);
        w.form1->HotKey(9); // not ours: ignored
        QCOMPARE(pages->currentIndex(), 1);
        w.form1->HotKey(1);
    }

    void tax_data()
    {
        QTest::addColumn<bool>("extract");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("lastTax");
        QTest::newRow("accrue 1000 18") << false << "1000" << "18" << "Сумма c налогом: 1180. Налог: 180" << 180.0;
        QTest::newRow("accrue 118 18") << false << "118" << "18" << "Сумма c налогом: 139,24. Налог: 21,24" << 21.24;
        QTest::newRow("accrue tie down") << false << "0,125" << "0" << "Сумма c налогом: 0,12. Налог: -0,005" << -0.005;
        QTest::newRow("accrue tie up") << false << "0,375" << "0" << "Сумма c налогом: 0,38. Налог: 0,005" << 0.005;
        QTest::newRow("extract 1180 18") << true << "1180" << "18" << "Сумма без налога: 1000. Налог: 180" << 1000.0;
        QTest::newRow("extract 100 20") << true << "100" << "20" << "Сумма без налога: 83,33. Налог: 16,67" << 83.33;
        QTest::newRow("accrue zero") << false << "0" << "18" << "Сумма c налогом: 0. Налог: 0" << 0.0;
        QTest::newRow("extract zero") << true << "0" << "18" << "Сумма без налога: 0. Налог: 0" << 0.0;
        QTest::newRow("accrue -100") << false << "250" << "-100" << "Сумма c налогом: 0. Налог: -250" << -250.0;
        QTest::newRow("blanks around") << false << " 12,5 " << "0" << "Сумма c налогом: 12,5. Налог: 0" << 0.0;
    }
    void tax()
    {
        QFETCH(bool, extract);
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, line);
        QFETCH(double, lastTax);
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        child<QRadioButton>(w.form1, extract ? "RadioButton1" : "RadioButton2")->setChecked(true);
        child<QLineEdit>(w.form1, "Edit1")->setText(amount);
        child<QLineEdit>(w.form1, "Edit2")->setText(rate);
        click(w.form1, "Button1");
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(child<QLabel>(w.form1, "Label1")->text(), line);
        QCOMPARE(w.form1->lastTaxResult, lastTax);
        QCOMPARE(w.form1->lastEnteredAmount, orvel::readAmount(amount));
    }

    void taxFailures_data()
    {
        QTest::addColumn<bool>("extract");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("box");
        QTest::addColumn<double>("lastAmount"); // what the window keeps afterwards
        QTest::newRow("bad amount") << false << "abc" << "18" << "'abc' is not a valid floating point value." << 7.0;
        QTest::newRow("full stop") << false << "12.5" << "18" << "'12.5' is not a valid floating point value." << 7.0;
        QTest::newRow("empty amount") << false << "" << "18" << "'' is not a valid floating point value." << 7.0;
        QTest::newRow("bad rate keeps new amount") << false << "5" << "x" << "'x' is not a valid floating point value." << 5.0;
        QTest::newRow("extract -100") << true << "5" << "-100" << "Floating point division by zero." << 5.0;
        QTest::newRow("extract -100 of zero") << true << "0" << "-100" << "Invalid floating point operation." << 0.0;
        QTest::newRow("2^63 limit") << false << "1E17" << "0" << "Invalid floating point operation." << 1e17;
    }
    void taxFailures()
    {
        QFETCH(bool, extract);
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, box);
        QFETCH(double, lastAmount);
        LocaleScope locale(commaLocale());
        // A good calculation first, so the failure has something to keep.
        child<QRadioButton>(w.form1, "RadioButton2")->setChecked(true);
        child<QLineEdit>(w.form1, "Edit1")->setText(QStringLiteral("7"));
        child<QLineEdit>(w.form1, "Edit2")->setText(QStringLiteral("10"));
        click(w.form1, "Button1");
        const QString lineBefore = child<QLabel>(w.form1, "Label1")->text();
        const double taxBefore = w.form1->lastTaxResult;

        ModalWatcher boxes;
        child<QRadioButton>(w.form1, extract ? "RadioButton1" : "RadioButton2")->setChecked(true);
        child<QLineEdit>(w.form1, "Edit1")->setText(amount);
        child<QLineEdit>(w.form1, "Edit2")->setText(rate);
        click(w.form1, "Button1");
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].text, box);
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Orvel"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(child<QLabel>(w.form1, "Label1")->text(), lineBefore);
        QCOMPARE(w.form1->lastTaxResult, taxBefore);
        QCOMPARE(w.form1->lastEnteredAmount, lastAmount);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
