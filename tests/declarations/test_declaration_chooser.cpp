// The declaration chooser on the tax tab: the list, the rate it sets, and
// the declaration windows it opens after a fresh tax calculation.
#include "GuiTest.h"
#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace orveltest;

class TestDeclarationChooser : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir workDir;
    QString oldDir;

    QComboBox *list() { return child<QComboBox>(w.form1, "ComboBox3"); }
    QLineEdit *amount() { return child<QLineEdit>(w.form1, "Edit1"); }
    QLineEdit *rate() { return child<QLineEdit>(w.form1, "Edit2"); }
    QLabel *result() { return child<QLabel>(w.form1, "Label1"); }

    // Picks an item the way a person does: from the closed list, with the keyboard.
    void choose(int index)
    {
        list()->setCurrentIndex(-1);
        list()->setFocus();
        for (int i = 0; i <= index; ++i)
            QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(list()->currentIndex(), index);
    }

    // Picks the item the list already shows, from its open list with Return.
    void chooseAgain()
    {
        const int index = list()->currentIndex();
        list()->showPopup();
        QAbstractItemView *view = list()->view();
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->currentIndex().row(), index);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(list()->currentIndex(), index);
    }

    void hideDeclarations()
    {
        w.nds->hide();
        w.null1->hide();
    }

private slots:
    void initTestCase()
    {
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
    void init()
    {
        hideDeclarations();
        child<QRadioButton>(w.form1, "RadioButton2")->setChecked(true);
    }

    void group()
    {
        auto *box = child<QGroupBox>(w.form1, "GroupBox2");
        QCOMPARE(box->title(), QStringLiteral("Декларация"));
        QCOMPARE(child<QLabel>(box, "Label22")->text(), QStringLiteral("Налог:"));
        QCOMPARE(list()->parentWidget(), box);
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->itemText(0), QStringLiteral("НДС (18%)"));
        QCOMPARE(list()->itemText(1), QStringLiteral("\"Нулевая\" декларация"));
        QCOMPARE(list()->currentIndex(), -1);
        QCOMPARE(list()->currentText(), QString());
        QVERIFY(!list()->isEditable());
        QCOMPARE(child<QPushButton>(box, "Button28")->text(), QStringLiteral("Заполнить декларацию"));
        // Below the group "Налог" of the first tab.
        auto *tax = child<QGroupBox>(w.form1, "GroupBox1");
        QCOMPARE(box->parentWidget(), w.form1->TabSheet1);
        QVERIFY(box->geometry().top() >= tax->geometry().bottom());
        w.form1->grab().save(QStringLiteral("/tmp/orvel-chooser.png"));
    }

    void nothingChosen()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        list()->setCurrentIndex(-1);
        amount()->setText(QStringLiteral("1000"));
        rate()->setText(QStringLiteral("10"));
        result()->clear();
        click(w.form1, "Button28");
        QCOMPARE(result()->text(), QStringLiteral("Сумма c налогом: 1100. Налог: 100"));
        QVERIFY(!w.nds->isVisible());
        QVERIFY(!w.null1->isVisible());
        QCOMPARE(boxes.texts(), QStringList());
    }

    void badAmount()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        choose(0);
        amount()->setText(QStringLiteral("сто"));
        click(w.form1, "Button28");
        QCOMPARE(boxes.texts(), QStringList{"'сто' is not a valid floating point value."});
        QVERIFY(!w.nds->isVisible());
        choose(1);
        click(w.form1, "Button28");
        QVERIFY(!w.null1->isVisible());
    }

    // "НДС (18%)" puts 18 into the rate; the other item leaves it; a rate
    // typed afterwards is the one the calculation uses.
    void rate18()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        list()->setCurrentIndex(-1);
        rate()->setText(QStringLiteral("7"));
        choose(0);
        QCOMPARE(rate()->text(), QStringLiteral("18"));
        choose(1);
        QCOMPARE(rate()->text(), QStringLiteral("18"));
        // The program setting the list is not a choice.
        rate()->setText(QStringLiteral("7"));
        list()->setCurrentIndex(0);
        QCOMPARE(rate()->text(), QStringLiteral("7"));
        // Picking the item already chosen changes nothing: a rate typed
        // after the choice stays.
        choose(0);
        rate()->setText(QStringLiteral("7"));
        QSignalSpy picks(list(), &QComboBox::activated);
        chooseAgain();
        QCOMPARE(picks.count(), 1);
        QCOMPARE(rate()->text(), QStringLiteral("7"));
        rate()->setText(QStringLiteral("20"));
        amount()->setText(QStringLiteral("100"));
        click(w.form1, "Button28");
        QCOMPARE(result()->text(), QStringLiteral("Сумма c налогом: 120. Налог: 20"));
        QVERIFY(w.nds->isVisible());
        QCOMPARE(w.nds->summa->text(), QStringLiteral("20"));
        QCOMPARE(w.nds->summa1->text(), QStringLiteral("100"));
        QCOMPARE(boxes.texts(), QStringList());
    }

    // An open VAT window comes to the front without taking new amounts;
    // after it was closed it shows the new ones.
    void reopen()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        choose(0);
        amount()->setText(QStringLiteral("1000"));
        click(w.form1, "Button28");
        QVERIFY(w.nds->isVisible());
        QCOMPARE(w.nds->summa->text(), QStringLiteral("180"));
        QCOMPARE(w.nds->summa1->text(), QStringLiteral("1000"));
        QVERIFY(!w.null1->isVisible());

        amount()->setText(QStringLiteral("2000"));
        click(w.form1, "Button28");
        QCOMPARE(result()->text(), QStringLiteral("Сумма c налогом: 2360. Налог: 360"));
        QVERIFY(w.nds->isVisible());
        QCOMPARE(w.nds->summa->text(), QStringLiteral("180"));
        QCOMPARE(w.nds->summa1->text(), QStringLiteral("1000"));

        click(w.nds, "Button2");
        QVERIFY(!w.nds->isVisible());
        click(w.form1, "Button28");
        QVERIFY(w.nds->isVisible());
        QCOMPARE(w.nds->summa->text(), QStringLiteral("360"));
        QCOMPARE(w.nds->summa1->text(), QStringLiteral("2000"));
        // The main window stays usable: the declaration window is not modal.
        QVERIFY(!w.nds->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(boxes.texts(), QStringList());
    }

    void extractMode()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        choose(0);
        child<QRadioButton>(w.form1, "RadioButton1")->setChecked(true);
        amount()->setText(QStringLiteral("1180"));
        click(w.form1, "Button28");
        QCOMPARE(w.nds->summa1->text(), QStringLiteral("1180"));
        QCOMPARE(w.nds->summa->text(), QStringLiteral("1000"));
    }

    void simplified()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        choose(1);
        rate()->setText(QStringLiteral("5"));
        amount()->setText(QStringLiteral("100"));
        click(w.form1, "Button28");
        QCOMPARE(result()->text(), QStringLiteral("Сумма c налогом: 105. Налог: 5"));
        QVERIFY(w.null1->isVisible());
        QVERIFY(!w.nds->isVisible());
        QCOMPARE(rate()->text(), QStringLiteral("5"));
    }
};

QTEST_MAIN(TestDeclarationChooser)
#include "test_declaration_chooser.moc"
