// The main window as a person meets it: start-up, tabs, function keys, and the
// tax calculator with its error boxes.
#include "AppFixture.h"
#include "calc/Numbers.h"
#include "GuiTest.h"
#include "HttpTestServer.h"
#include "rates/RateTable.h"
#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"
#include "ui/ErrorBox.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"
#include "ui/Maker.h"
#include "ui/TForm2.h"

#include <QDesktopServices>
#include <QDir>
#include <QPushButton>
#include <QUrl>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace orveltest;

static const QString kServerWarning =
    QStringLiteral("Невозможно подключится к серверу. Orvel конвертирует по старым котировкам.");

// Stands in for the desktop's browser and mail program: records what the
// program asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    UrlRecorder()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "open");
    }
    ~UrlRecorder() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }
public slots:
    void open(const QUrl &url) { urls << url; }
};

// Leaves the program no browser or mail program to find while it lives.
class NoDesktopPrograms {
public:
    NoDesktopPrograms()
        : m_path(qgetenv("PATH")), m_browser(qgetenv("BROWSER")), m_default(qgetenv("DEFAULT_BROWSER"))
    {
        qputenv("PATH", m_empty.path().toLocal8Bit());
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
    }
    ~NoDesktopPrograms()
    {
        qputenv("PATH", m_path);
        if (!m_browser.isNull())
            qputenv("BROWSER", m_browser);
        if (!m_default.isNull())
            qputenv("DEFAULT_BROWSER", m_default);
    }

private:
    QTemporaryDir m_empty;
    QByteArray m_path, m_browser, m_default;
};

static QList<TForm2 *> visibleAboutWindows()
{
    QList<TForm2 *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *about = qobject_cast<TForm2 *>(w); about && about->isVisible())
            found << about;
    return found;
}

class TestMainWindow : public QObject {
    Q_OBJECT

    AppFixture app;
    orvel::OrvelWindows &w = app.w;

private slots:
    void initTestCase() { QVERIFY(app.start()); }
    void cleanupTestCase() { app.stop(); }

    void startup()
    {
        QCOMPARE(w.form1->windowTitle(), QStringLiteral("Kestrin Orvel"));
        QVERIFY(!(w.form1->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.form2 && w.nds && w.null1);
        // Started where there is no cbr.xml: nothing read, nothing reported,
        // and all five function keys registered.
        QVERIFY(orvel::rateTable().empty());
        QStringList keys;
        for (QShortcut *s : w.form1->findChildren<QShortcut *>())
            keys << s->key().toString();
        keys.sort();
        QCOMPARE(keys, (QStringList{"F1", "F2", "F3", "F4", "F5"}));
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
        // All five captions show in full under the skin, without scrolling.
        QVERIFY(w.form1->sSkinManager1.isActive());
        QVERIFY(pages->tabBar()->width() >= pages->tabBar()->sizeHint().width());
        QCOMPARE(child<QLabel>(w.form1, "Label5")->text(), QStringLiteral("Студия Kestrin"));
        QCOMPARE(child<QMenuBar>(w.form1, "MainMenu1"), w.form1->menuBar());
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

    void aboutWindow()
    {
        TForm2 *about = w.form2;
        QVERIFY(!about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("О Orvel"));
        // Title only: no system menu, so no close, minimise or maximise button.
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(!(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        // Shown twice: still one window, and the main window is not blocked.
        w.form1->N2->trigger();
        w.form1->N2->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(visibleAboutWindows(), QList<TForm2 *>{about});
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w.form1->isEnabled() && w.form1->isVisible());
        QTest::keyClick(w.form1, Qt::Key_F2);
        QCOMPARE(child<QTabWidget>(w.form1, "PageControl1")->currentIndex(), 1);
        QTest::keyClick(w.form1, Qt::Key_F1);

        // Centred on the screen.
        const QRect screen = about->screen()->availableGeometry();
        QVERIFY(qAbs(about->geometry().center().x() - screen.center().x()) <= 2);
        QVERIFY(qAbs(about->geometry().center().y() - screen.center().y()) <= 2);

        const QString description = QStringLiteral(
            "Финансовый калькулятор Orvel предназначен для  конвертации валют,  расчета налога (НДС, НДФЛ и др),  "
            "вкладов и кредитов, функции обычного калькулятора. Возможность заполнение деклараций (работает в "
            "тестовом режиме). ");
        auto texts = [&] {
            return QStringList{child<QLabel>(about, "Label1")->text(), child<QLabel>(about, "Label2")->text(),
                               child<QLabel>(about, "Label4")->text(), child<QLabel>(about, "Label6")->text(),
                               child<QLabel>(about, "Label7")->text(), child<QLabel>(about, "Label5")->text(),
                               child<QPushButton>(about, "Button1")->text()};
        };
        const QStringList expected{QStringLiteral("Orvel 1.2.4"), description,
                                   QStringLiteral("http://www.kestrin.example/"),
                                   QStringLiteral("Все вопросы и предложения связанные с программой "),
                                   QStringLiteral("отправлять на "), QStringLiteral("orvel@kestrin.example"),
                                   QStringLiteral("ОК")};
        QCOMPARE(texts(), expected);
        auto *description2 = child<QLabel>(about, "Label2");
        QVERIFY(description2->wordWrap());
        QCOMPARE(description2->textFormat(), Qt::PlainText); // the doubled blanks are drawn as they are
        // The heading stands out.
        QVERIFY(child<QLabel>(about, "Label1")->font().pointSizeF() > description2->font().pointSizeF());
        // "отправлять на " and the e-mail link stand on one line.
        QCOMPARE(child<QLabel>(about, "Label7")->geometry().center().y(),
                 child<QLabel>(about, "Label5")->geometry().center().y());

        // "ОК" hides it; the next "О программе" shows the same window, unchanged.
        click(about, "Button1");
        QVERIFY(!about->isVisible());
        QVERIFY(visibleAboutWindows().isEmpty());
        w.form1->N2->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(visibleAboutWindows(), QList<TForm2 *>{about});
        QCOMPARE(texts(), expected);
        // Closing it another way (the platform's close shortcut) also only hides it.
        QVERIFY(about->close());
        QVERIFY(!about->isVisible());
        QVERIFY(about->isWindow());
    }

    void links_data()
    {
        QTest::addColumn<bool>("inAbout");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("footer site") << false << "Label6" << orvel::makerSiteUrl()
                                     << QUrl(QStringLiteral("http://www.kestrin.example/"));
        QTest::newRow("about site") << true << "Label4" << orvel::makerSiteUrl()
                                    << QUrl(QStringLiteral("http://www.kestrin.example/"));
        QTest::newRow("about e-mail") << true << "Label5" << orvel::makerEmail()
                                      << QUrl(QStringLiteral("mailto:orvel@kestrin.example"));
    }
    void links()
    {
        QFETCH(bool, inAbout);
        QFETCH(QString, label);
        QFETCH(QString, text);
        QFETCH(QUrl, url);
        QVERIFY(w.form1->sSkinManager1.isActive());
        QWidget *window = inAbout ? static_cast<QWidget *>(w.form2) : w.form1;
        if (inAbout) {
            w.form1->N2->trigger();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }
        auto *link = child<QLabel>(window, label.toLatin1().constData());
        QCOMPARE(link->text(), text);
        // Blue, underlined, hand cursor, also under the skin.
        QCOMPARE(link->palette().color(link->foregroundRole()), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

        {
            UrlRecorder desktop;
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(desktop.urls, QList<QUrl>{url});
            // A press that is dragged off the link and released elsewhere opens nothing.
            QTest::mousePress(link, Qt::LeftButton);
            QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
            QCOMPARE(desktop.urls.size(), 1);
        }
        {
            // Nothing on the desktop can open it: nothing is reported, the window goes on.
            NoDesktopPrograms none;
            ModalWatcher boxes;
            QTest::mouseClick(link, Qt::LeftButton);
            QTest::qWait(20);
            QCOMPARE(boxes.texts(), QStringList());
        }
        QVERIFY(window->isVisible());
        if (inAbout)
            w.form2->hide();
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

    // "Выход" ends the run even while another window is open.
    void exitWithWindowOpen_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("about window") << "about";
        QTest::newRow("VAT declaration") << "nds";
        QTest::newRow("simplified declaration") << "null1";
    }
    void exitWithWindowOpen()
    {
        QFETCH(QString, window);
        QWidget *open = window == QLatin1String("about") ? static_cast<QWidget *>(w.form2)
                        : window == QLatin1String("nds") ? static_cast<QWidget *>(w.nds)
                                                         : static_cast<QWidget *>(w.null1);
        open->show();
        QVERIFY(QTest::qWaitForWindowExposed(open));
        QTimer::singleShot(0, w.form1->N3, &QAction::trigger);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // only if it hangs
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!w.form1->isVisible());
        // Back to a shown main window for whatever runs next.
        open->hide();
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
    }

    // The error box adds "." unless the message ends with "." or with a
    // character that comes before "." in code order.
    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "Floating point overflow" << "Floating point overflow.";
        QTest::newRow("ends with .") << "No active document." << "No active document.";
        QTest::newRow("ends with -") << "8(495)123-" << "8(495)123-";
        QTest::newRow("ends with a blank") << "Ошибка " << "Ошибка ";
        QTest::newRow("ends with /") << "C:/" << "C:/.";
        QTest::newRow("ends with a letter") << "Выберите валюты" << "Выберите валюты.";
        QTest::newRow("empty") << "" << ".";
    }
    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, text);
        QCOMPARE(orvel::errorBoxText(message), text);
    }

    // F4 twice: the converter's show action runs once (with the bank out of
    // reach it shows its warning and then the missing cache once); the
    // second F4 finds the tab active and does nothing.
    void f4Twice()
    {
        auto *pages = child<QTabWidget>(w.form1, "PageControl1");
        pages->setCurrentIndex(0);
        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QString::number(closedPort());
        ModalWatcher boxes;
        QTest::keyClick(w.form1, Qt::Key_F4);
        QCOMPARE(pages->currentIndex(), 3);
        QTest::keyClick(w.form1, Qt::Key_F4);
        QCOMPARE(pages->currentIndex(), 3);
        QCOMPARE(boxes.texts(), (QStringList{kServerWarning, "No active document."}));
        pages->setCurrentIndex(0);
    }

    // Function keys that come while a handler runs (its error box is open)
    // wait for it and then act in the order they came, ahead of a key that
    // comes after the box.
    void keysDuringBox()
    {
        auto *pages = child<QTabWidget>(w.form1, "PageControl1");
        pages->setCurrentIndex(0);
        QSignalSpy shown(pages, &QTabWidget::currentChanged);
        QMap<QString, QShortcut *> keys;
        for (QShortcut *s : w.form1->findChildren<QShortcut *>())
            keys[s->key().toString()] = s;
        QCOMPARE(keys.size(), 5);
        // What the platform does for a press of the key.
        const auto press = [&](const char *key) { emit keys[QString::fromLatin1(key)]->activated(); };

        child<QLineEdit>(w.form1, "Edit1")->setText(QStringLiteral("abc"));
        int pageWhileOpen = -1;
        bool sawBox = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            sawBox = true;
            press("F2");
            press("F3");
            QTest::qWait(50);
            pageWhileOpen = pages->currentIndex();
            qobject_cast<QMessageBox *>(QApplication::activeModalWidget())->accept();
        });
        click(w.form1, "Button1");
        QVERIFY(sawBox);
        QCOMPARE(pageWhileOpen, 0);
        press("F5");
        QTRY_COMPARE(pages->currentIndex(), 4);
        QTest::qWait(50); // nothing more comes
        QList<int> order;
        for (const QList<QVariant> &args : shown)
            order << args.at(0).toInt();
        QCOMPARE(order, (QList<int>{1, 2, 4}));
        child<QLineEdit>(w.form1, "Edit1")->setText(QStringLiteral("0"));
        pages->setCurrentIndex(0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
