// The converter tab as a person meets it: the probe, the bank's document or
// the cache, the lists, the date line, and conversion through the rouble.
// Every test runs in its own working directory (the cache is relative to it),
// against a server and a closed port on 127.0.0.1.
#include "calc/OrvelError.h"
#include "GuiTest.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/RateDocument.h"
#include "rates/TcpProbe.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace orveltest;

namespace {

const QString kPath = QStringLiteral("/scripts/XML_daily.asp?date_req");
const QString kWarning = QStringLiteral("Невозможно подключится к серверу. Orvel конвертирует по старым котировкам.");

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

const QStringList &oldCacheRows()
{
    static const QStringList rows{dailyRows()[0], dailyRows()[2], dailyRows()[1]};
    return rows;
}

// What a separate read of a cache file gives, leaving the program's table alone.
QStringList cacheRows(const QString &file)
{
    orvel::RateTable table;
    orvel::StringListSink list;
    try {
        orvel::readRateDocument(file, table, list, QStringLiteral("reread.xml"));
    } catch (const OrvelError &e) {
        return {e.message()};
    }
    return tableText(table);
}

} // namespace

class TestConverter : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<LocaleScope> locale;
    QString oldDir;
    orvel::OrvelWindows w;
    HttpTestServer server;

    // Starts the program, with `cache` as cbr.xml beside it when given.
    void start(const QByteArray &cache = {})
    {
        if (!cache.isNull())
            writeFile("cbr.xml", cache);
        w = orvel::createOrvelWindows();
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
    }
    void pointAt(quint16 probePort, const QString &url)
    {
        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QString::number(probePort);
        w.form1->rateUrl = url;
    }
    void showConverter() { child<QTabWidget>(w.form1, "PageControl1")->setCurrentIndex(3); }
    void showConverterAgain()
    {
        child<QTabWidget>(w.form1, "PageControl1")->setCurrentIndex(0);
        showConverter();
    }
    QString label19() const { return child<QLabel>(w.form1, "Label19")->text(); }
    QStringList list1() const { return itemsOf(child<QComboBox>(w.form1, "ComboBox1")); }
    QStringList list2() const { return itemsOf(child<QComboBox>(w.form1, "ComboBox2")); }
    QStringList hidden() const { return itemsOf(child<QComboBox>(w.form1, "CurrencyBox")); }

private slots:
    void initTestCase()
    {
        // Every request goes straight to the local server.
        for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
        oldDir = QDir::currentPath();
        server.route(kPath.toLatin1(), {200, fixture("XML_daily.xml"), {}});
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QDir::setCurrent(dir->path());
        locale = std::make_unique<LocaleScope>(commaLocale());
    }
    void cleanup()
    {
        if (w.form1)
            orvel::destroyOrvelWindows(w);
        // The main window's end empties the rate table.
        QVERIFY(orvel::rateTable().empty());
        locale.reset();
        QDir::setCurrent(oldDir);
        dir.reset();
    }

    void firstRunWithoutCache()
    {
        start();
        QVERIFY(orvel::rateTable().empty());
        QCOMPARE(hidden(), QStringList());
        const int requestsBefore = server.requests().size();
        const int connectionsBefore = server.connections();
        pointAt(server.port(), server.url(kPath));

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 06.12.2026"));
        QCOMPARE(tableText(orvel::rateTable()), dailyRows());
        QCOMPARE(hidden(), namesOf(dailyRows()));
        // The lists are filled after the read, so they show what was fetched.
        QCOMPARE(list1(), namesOf(dailyRows()));
        QCOMPARE(list2(), namesOf(dailyRows()));
        QCOMPARE(child<QComboBox>(w.form1, "ComboBox1")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(w.form1, "ComboBox2")->currentIndex(), -1);
        QCOMPARE(cacheRows("cbr.xml"), dailyRows());
        QCOMPARE(server.requests().size(), requestsBefore + 1);
        QCOMPARE(server.connections(), connectionsBefore + 2); // the probe, then the fetch
        QVERIFY(w.form1->TTCPClient->Connected());
        QVERIFY(!QApplication::overrideCursor());

        // Shown again: connected already, so nothing happens.
        showConverterAgain();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(server.requests().size(), requestsBefore + 1);
        QCOMPARE(server.connections(), connectionsBefore + 2);
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 06.12.2026"));
        QCOMPARE(list1(), namesOf(dailyRows()));
    }

    void cacheAndServer()
    {
        start(fixture("cache_old.xml"));
        // The start-up read fills the table and the hidden list only.
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QCOMPARE(hidden(), namesOf(oldCacheRows()));
        QCOMPARE(list1(), QStringList());
        QCOMPARE(label19(), QString());
        pointAt(server.port(), server.url(kPath));

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(tableText(orvel::rateTable()), dailyRows());
        QCOMPARE(list1(), namesOf(dailyRows()));
        QCOMPARE(list2(), namesOf(dailyRows()));
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 06.12.2026"));
        QCOMPARE(cacheRows("cbr.xml"), dailyRows());
    }

    // The probe fails: a warning for every failed attempt, then the cache.
    void serverUnreachable_data()
    {
        QTest::addColumn<QByteArray>("cache"); // null: none
        QTest::addColumn<QStringList>("firstBoxes");
        QTest::addColumn<QStringList>("laterBoxes");
        QTest::addColumn<QString>("dateLine");
        QTest::addColumn<QStringList>("rows");
        // With a cache the first showing tries twice (opening the probe, then
        // its connection attempt); each try warns and reads the cache.
        QTest::newRow("with cache") << fixture("cache_old.xml") << QStringList{kWarning, kWarning}
                                    << QStringList{kWarning} << "Курс по данным ЦБ РФ от 01.12.2026" << oldCacheRows();
        // Without one the read fails and ends the showing.
        QTest::newRow("without cache") << QByteArray() << QStringList{kWarning, "No active document."}
                                       << QStringList{kWarning, "No active document."} << QString() << QStringList();
    }
    void serverUnreachable()
    {
        QFETCH(QByteArray, cache);
        QFETCH(QStringList, firstBoxes);
        QFETCH(QStringList, laterBoxes);
        QFETCH(QString, dateLine);
        QFETCH(QStringList, rows);
        start(cache);
        const int requestsBefore = server.requests().size();
        pointAt(closedPort(), server.url(kPath));

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), firstBoxes);
        for (const Box &b : boxes.boxes) {
            QCOMPARE(b.owner, static_cast<QWidget *>(w.form1));
            if (b.text == kWarning) {
                QCOMPARE(b.title, QStringLiteral("Сервер не отвечает"));
                QCOMPARE(b.icon, QMessageBox::Warning);
            } else {
                QCOMPARE(b.title, QStringLiteral("Orvel"));
                QCOMPARE(b.icon, QMessageBox::Critical);
            }
        }
        QCOMPARE(label19(), dateLine);
        QCOMPARE(tableText(orvel::rateTable()), rows);
        QCOMPARE(list1(), namesOf(rows));
        QCOMPARE(list2(), namesOf(rows));
        QCOMPARE(QFileInfo::exists("cbr.xml"), !cache.isNull());
        QVERIFY(w.form1->TTCPClient->Active());
        QVERIFY(!w.form1->TTCPClient->Connected());

        // Every later showing makes one new attempt.
        boxes.clear();
        showConverterAgain();
        QCOMPARE(boxes.texts(), laterBoxes);
        QCOMPARE(server.requests().size(), requestsBefore);
        QVERIFY(!QApplication::overrideCursor());
    }

    // The probe connects but the document cannot be had: the rates read at
    // start-up stay, and the cache is left alone.
    void fetchFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not found") << "/gone" << 0 << QByteArray();
        QTest::newRow("server error") << "/error" << 500 << fixture("XML_daily.xml");
        QTest::newRow("not well-formed") << "/cut" << 200 << fixture("fail_truncated.xml");
        QTest::newRow("over 4 MiB") << "/huge" << 200 << QByteArray(4 * 1024 * 1024 + 1, ' ');
        QTest::newRow("nothing listens") << "closed" << 0 << QByteArray();
    }
    void fetchFails()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        if (status)
            server.route(path.toLatin1(), {status, body, {}});
        const QString url = path == QLatin1String("closed")
                                ? QStringLiteral("http://127.0.0.1:%1%2").arg(closedPort()).arg(kPath)
                                : server.url(path);
        start(fixture("cache_old.xml"));
        const QByteArray cacheBefore = fileBytes("cbr.xml");
        pointAt(server.port(), url);

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList{"No active document."});
        QCOMPARE(label19(), QString());
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QCOMPARE(hidden(), namesOf(oldCacheRows()));
        QCOMPARE(list1(), namesOf(oldCacheRows()));
        QCOMPARE(list2(), namesOf(oldCacheRows()));
        QCOMPARE(fileBytes("cbr.xml"), cacheBefore);

        // Connected: later showings try nothing more.
        boxes.clear();
        const int requests = server.requests().size();
        showConverterAgain();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(server.requests().size(), requests);
    }

    // The fetched document breaks in its third row: the cache is overwritten
    // with it and the table is rebuilt up to the broken row.
    void documentFailsHalfway()
    {
        server.route("/half", {200, fixture("fail_value.xml"), {}});
        start(fixture("cache_old.xml"));
        pointAt(server.port(), server.url("/half"));

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList{"'15.0917' is not a valid floating point value."});
        QCOMPARE(label19(), QString());
        const QStringList complete = dailyRows().mid(0, 3);
        QCOMPARE(tableText(orvel::rateTable()), complete + QStringList{"KZT|Казахстанских тенге|100|0"});
        QCOMPARE(hidden(), namesOf(complete));
        QCOMPARE(list1(), namesOf(complete));
        QCOMPARE(list2(), namesOf(complete));
        QCOMPARE(cacheRows("cbr.xml"), QStringList{"'15.0917' is not a valid floating point value"});
    }

    // Conversion through the rouble, with the rows of this cache.
    void convert_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("from"); // list index; -1 none; 99 an item with no row
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("line"); // ConvLabel afterwards
        QTest::addColumn<QString>("box");  // the error box, if any

        const QString kept = QStringLiteral("before");
        // rows: 0 RUB, 1 AAA 1 / 11.6454, 2 BBB 10 / 77.4984, 3 HND 100 / 50.5,
        // 4 ZNM 0 / 5, 5 ZZZ 0 / 0, 6 ZVL 1 / 0, 7 DUP 1 / 2, 8 DUP 1 / 4, 9 no code 1 / 3
        QTest::newRow("zero amount") << "0" << 1 << 2 << "0 AAA=0 BBB" << "";
        QTest::newRow("rouble to rouble") << "100" << 0 << 0 << "100 RUB=100 RUB" << "";
        QTest::newRow("into roubles") << "200" << 3 << 0 << "200 HND=101 RUB" << "";
        QTest::newRow("out of roubles") << "101" << 0 << 3 << "101 RUB=200 HND" << "";
        QTest::newRow("one rounding") << "123" << 1 << 2 << "123 AAA=184,827583537208 BBB" << "";
        QTest::newRow("text as typed") << "007" << 0 << 0 << "007 RUB=7 RUB" << "";
        QTest::newRow("decimal comma") << "12,5" << 0 << 0 << "12,5 RUB=12,5 RUB" << "";
        QTest::newRow("first of two codes") << "3" << 8 << 0 << "3 DUP=6 RUB" << "";
        QTest::newRow("empty code passes through") << "3" << 9 << 0 << "3 =3 RUB" << "";
        QTest::newRow("negative passes through") << "-5" << 4 << 6 << "-5 ZNM=-5 ZVL" << "";
        QTest::newRow("zero passes through") << "0" << 5 << 6 << "0 ZZZ=0 ZVL" << "";
        QTest::newRow("into zero nominal") << "5" << 0 << 4 << "5 RUB=0 ZNM" << "";
        QTest::newRow("from zero nominal") << "1" << 4 << 0 << kept << "Floating point division by zero.";
        QTest::newRow("from zero nominal and value") << "1" << 5 << 0 << kept << "Invalid floating point operation.";
        QTest::newRow("into zero value") << "1" << 0 << 6 << kept << "Floating point division by zero.";
        QTest::newRow("result beyond double") << "1E308" << 2 << 0 << kept << "Floating point overflow.";
        QTest::newRow("amount beyond double") << "1E400" << 0 << 0 << kept << "Floating point overflow.";
        QTest::newRow("empty amount") << "" << 0 << 0 << kept << "'' is not a valid floating point value.";
        QTest::newRow("full stop") << "12.5" << 0 << 0 << kept << "'12.5' is not a valid floating point value.";
        QTest::newRow("nothing selected") << "1" << -1 << -1 << kept << "Выберите валюты для конвертации.";
        QTest::newRow("no target") << "1" << 1 << -1 << kept << "Выберите валюты для конвертации.";
        QTest::newRow("item without a row") << "1" << 99 << 0 << kept << "Выберите валюты для конвертации.";
        QTest::newRow("bad amount before selection") << "x" << -1 << -1 << kept
                                                     << "'x' is not a valid floating point value.";
    }
    void convert()
    {
        QFETCH(QString, amount);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, line);
        QFETCH(QString, box);
        start("<?xml version=\"1.0\" encoding=\"UTF-8\"?><ValCurs Date=\"06.12.2026\">"
              "<V><CharCode>AAA</CharCode><Nominal>1</Nominal><Name>Эй</Name><Value>11,6454</Value></V>"
              "<V><CharCode>BBB</CharCode><Nominal>10</Nominal><Name>Би</Name><Value>77,4984</Value></V>"
              "<V><CharCode>HND</CharCode><Nominal>100</Nominal><Name>Сотня</Name><Value>50,5</Value></V>"
              "<V><CharCode>ZNM</CharCode><Name>Без номинала</Name><Value>5</Value></V>"
              "<V><CharCode>ZZZ</CharCode><Name>Пусто</Name></V>"
              "<V><CharCode>ZVL</CharCode><Nominal>1</Nominal><Name>Без курса</Name></V>"
              "<V><CharCode>DUP</CharCode><Nominal>1</Nominal><Name>Первый</Name><Value>2</Value></V>"
              "<V><CharCode>DUP</CharCode><Nominal>1</Nominal><Name>Второй</Name><Value>4</Value></V>"
              "<V><Nominal>1</Nominal><Name>Без кода</Name><Value>3</Value></V>"
              "</ValCurs>");
        pointAt(closedPort(), server.url(kPath));
        {
            ModalWatcher warnings;
            showConverter();
            QCOMPARE(warnings.texts(), (QStringList{kWarning, kWarning}));
        }
        auto *list1 = child<QComboBox>(w.form1, "ComboBox1");
        auto *list2 = child<QComboBox>(w.form1, "ComboBox2");
        QCOMPARE(list1->count(), 10);
        if (from == 99) {
            list1->addItem(QStringLiteral("лишний"));
            from = list1->count() - 1;
        }
        list1->setCurrentIndex(from);
        list2->setCurrentIndex(to);
        child<QLineEdit>(w.form1, "Edit10")->setText(amount);
        child<QLabel>(w.form1, "ConvLabel")->setText(QStringLiteral("before"));

        ModalWatcher boxes;
        click(w.form1, "Button7");
        QCOMPARE(boxes.texts(), box.isEmpty() ? QStringList() : QStringList{box});
        if (!box.isEmpty()) {
            QCOMPARE(boxes.boxes[0].title, QStringLiteral("Orvel"));
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        }
        QCOMPARE(child<QLabel>(w.form1, "ConvLabel")->text(), line);
    }

    // Only digits and backspace can be typed into the amount.
    void amountKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("backspace"); // one backspace after the typing
        QTest::addColumn<QString>("text");
        QTest::newRow("digits") << "0123456789" << false << "0123456789";
        QTest::newRow("separators, signs, letters") << "1,5.-+e2 x" << false << "152";
        QTest::newRow("backspace") << "42" << true << "4";
    }
    void amountKeys()
    {
        QFETCH(QString, typed);
        QFETCH(bool, backspace);
        QFETCH(QString, text);
        start();
        auto *edit = child<QLineEdit>(w.form1, "Edit10");
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, typed);
        if (backspace)
            QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), text);
        QTest::keyClick(edit, Qt::Key_Return); // a control character: discarded, harmless
        QCOMPARE(edit->text(), text);
        QVERIFY(w.form1->Edit10KeyPress(QChar(8)));
        QVERIFY(!w.form1->Edit10KeyPress(QChar(13)));
    }

    // Keys that type no printable character edit the amount as usual; the
    // filter sees only what is typed. On X11 Delete carries the text U+007F
    // and Ctrl+letter a control character; QTest gives Delete no text and
    // Ctrl+letter the letter.
    void amountEditingKeys_data()
    {
        QTest::addColumn<int>("cursor"); // in "1234"
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("keyText"); // null: what QTest gives the key
        QTest::addColumn<QString>("text");    // after the key and a typed "0"
        const int ctrl = Qt::ControlModifier;
        const auto c = [](char16_t code) { return QString(QChar(code)); };
        QTest::newRow("Delete") << 1 << int(Qt::Key_Delete) << 0 << QString() << "1034";
        QTest::newRow("Delete on X11") << 1 << int(Qt::Key_Delete) << 0 << c(0x7f) << "1034";
        QTest::newRow("Ctrl+V pastes unfiltered") << 4 << int(Qt::Key_V) << ctrl << QString() << "12345,60";
        QTest::newRow("Ctrl+V on X11") << 4 << int(Qt::Key_V) << ctrl << c(0x16) << "12345,60";
        QTest::newRow("Ctrl+A on X11") << 2 << int(Qt::Key_A) << ctrl << c(0x01) << "0";
        QTest::newRow("Escape") << 2 << int(Qt::Key_Escape) << 0 << c(0x1b) << "12034";
    }
    void amountEditingKeys()
    {
        QFETCH(int, cursor);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, keyText);
        QFETCH(QString, text);
        start();
        auto *edit = child<QLineEdit>(w.form1, "Edit10");
        edit->setText(QStringLiteral("1234"));
        edit->setFocus();
        edit->setCursorPosition(cursor);
        QApplication::clipboard()->setText(QStringLiteral("5,6"));
        const auto mods = Qt::KeyboardModifiers(modifiers);
        if (keyText.isNull())
            QTest::keyClick(edit, Qt::Key(key), mods);
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(key), keyText, mods);
        QTest::keyClick(edit, Qt::Key_0);
        QCOMPARE(edit->text(), text);
    }
};

QTEST_MAIN(TestConverter)
#include "test_converter.moc"
