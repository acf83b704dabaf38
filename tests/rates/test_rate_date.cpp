// The converter tab's rates on a chosen date and the history window, as a
// person meets them: a server on 127.0.0.1 answers by query, the cache folder
// lives in a temporary XDG_CACHE_HOME, and each test has its own working
// directory (for cbr.xml). With ORVEL_SHOT_DIR set, the tests that show a
// converted past rate and a drawn chart leave pictures of them there.
#include "calc/OrvelError.h"
#include "GuiTest.h"
#include "HistoryFixtures.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/HistoryReport.h"
#include "rates/RateArchive.h"
#include "rates/RateDocument.h"
#include "ui/FileDialogs.h"
#include "ui/history/TRateHistoryForm.h"
#include "ui/PrintDialog.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QValueAxis>

#include <memory>

using namespace orveltest;

Q_DECLARE_METATYPE(orveltest::HttpTestServer::Reply)

namespace {

const QString kPath = QStringLiteral("/scripts/XML_daily.asp?date_req");

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QByteArray request(const QDate &day) { return "/scripts/XML_daily.asp?date_req=" + day.toString("dd/MM/yyyy").toLatin1(); }
QByteArray historyRequest(const QDate &from, const QDate &to, const QByteArray &id)
{
    return "/scripts/XML_dynamic.asp?date_req1=" + from.toString("dd/MM/yyyy").toLatin1()
           + "&date_req2=" + to.toString("dd/MM/yyyy").toLatin1() + "&VAL_NM_RQ=" + id;
}

// A short answer for 30.11.2026, to drip a byte at a time.
QByteArray lateDocument()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ValCurs Date=\"30.11.2026\" name=\"Foreign Currency Market\">"
           "<Valute ID=\"R01235\"><CharCode>USD</CharCode><Nominal>1</Nominal><Name>Доллар США</Name>"
           "<Value>77,0000</Value></Valute></ValCurs>";
}

// The bank's answer for a period without rates.
QByteArray emptyHistory(const QDate &from, const QDate &to, const QByteArray &id)
{
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?><ValCurs ID=\"" + id + "\" DateRange1=\""
           + from.toString("dd.MM.yyyy").toLatin1() + "\" DateRange2=\"" + to.toString("dd.MM.yyyy").toLatin1()
           + "\" name=\"Foreign Currency Market Dynamic\"/>";
}

const QStringList &oldCacheRows()
{
    static const QStringList rows{dailyRows()[0], dailyRows()[2], dailyRows()[1]};
    return rows;
}

const QString kKztFigures = QStringLiteral(
    "За 1 KZT: начало 0,151234 (01.12.2026), конец 0,1519 (09.12.2026), минимум 0,1498765 (04.12.2026), "
    "максимум 0,1526 (08.12.2026), изменение +0,000666 руб. (+0,44 %); номинал менялся (100 → 1000)");

void shot(QWidget *w, const char *name)
{
    const QString folder = qEnvironmentVariable("ORVEL_SHOT_DIR");
    if (folder.isEmpty())
        return;
    // The chart lays itself out from posted events, as it does on screen.
    QTest::qWait(200);
    w->window()->grab().save(folder + QLatin1Char('/') + QLatin1String(name));
}

} // namespace

class TestRateDate : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<LocaleScope> locale;
    QTemporaryDir cacheHome;
    QString oldDir;
    orvel::OrvelWindows w;
    HttpTestServer server;
    const QDate today = QDate::currentDate();

    // The program, its start-up cache, and the converter tab read from the server.
    void start()
    {
        writeFile("cbr.xml", fixture("XML_daily.xml"));
        w = orvel::createOrvelWindows();
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QString::number(server.port());
        w.form1->rateUrl = server.url(kPath);
        ModalWatcher boxes;
        child<QTabWidget>(w.form1, "PageControl1")->setCurrentIndex(3);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 06.12.2026"));
    }
    void bankGone() { w.form1->rateUrl = QStringLiteral("http://127.0.0.1:%1%2").arg(closedPort()).arg(kPath); }
    // Loads the rates of `day`; returns the boxes it showed once the load,
    // which runs off the window's thread, has ended.
    QStringList load(const QDate &day, bool enter = false)
    {
        dateEdit()->setDate(day);
        ModalWatcher boxes;
        if (enter) {
            dateEdit()->setFocus();
            QTest::keyClick(dateEdit(), Qt::Key_Return);
        } else {
            click(w.form1, "RateDateButton");
        }
        if (!QTest::qWaitFor([this] { return dateButton()->text() == QStringLiteral("Загрузить"); }, 10000))
            return {"still loading"};
        return boxes.texts();
    }
    QAbstractButton *dateButton() const { return child<QAbstractButton>(w.form1, "RateDateButton"); }
    QLabel *progress() const { return child<QLabel>(w.form1, "RateDateProgress"); }
    QDateEdit *dateEdit() const { return child<QDateEdit>(w.form1, "RateDateEdit"); }
    QComboBox *list1() const { return child<QComboBox>(w.form1, "ComboBox1"); }
    QComboBox *list2() const { return child<QComboBox>(w.form1, "ComboBox2"); }
    QString label19() const { return child<QLabel>(w.form1, "Label19")->text(); }
    QString kept(const QDate &day) const
    {
        return cacheHome.path() + "/Orvel/rates/daily-" + day.toString("yyyy-MM-dd") + ".xml";
    }
    QString convert(const QString &amount, int from, int to)
    {
        child<QLineEdit>(w.form1, "Edit10")->setText(amount);
        list1()->setCurrentIndex(from);
        list2()->setCurrentIndex(to);
        ModalWatcher boxes;
        click(w.form1, "Button7");
        return boxes.texts().isEmpty() ? child<QLabel>(w.form1, "ConvLabel")->text() : boxes.texts().join('|');
    }
    TRateHistoryForm *history() const { return w.form1->findChild<TRateHistoryForm *>("RateHistoryForm"); }
    // Everything on the converter tab that a failed load must leave alone.
    QStringList tabState() const
    {
        return QStringList{label19(), dateEdit()->date().toString("dd.MM.yyyy"),
                           QString::number(list1()->currentIndex()), QString::number(list2()->currentIndex())}
               + tableText(orvel::rateTable()) + itemsOf(list1()) + itemsOf(list2())
               + itemsOf(child<QComboBox>(w.form1, "CurrencyBox"));
    }

private slots:
    void initTestCase()
    {
        for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
        // Never the user's own cache.
        QVERIFY(cacheHome.isValid());
        qputenv("XDG_CACHE_HOME", cacheHome.path().toUtf8());
        oldDir = QDir::currentPath();
        server.route(kPath.toLatin1(), {200, fixture("XML_daily.xml"), {}});
        server.route(request(QDate(2026, 12, 1)), {200, fixture("cache_old.xml"), {}});
        server.route(request(QDate(2026, 12, 5)), {200, fixture("daily_friday.xml"), {}});
        server.route(request(QDate(2026, 12, 3)), {200, fixture("fail_value.xml"), {}});
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QDir::setCurrent(dir->path());
        QVERIFY(QDir(cacheHome.path()).removeRecursively());
        QVERIFY(QDir().mkpath(cacheHome.path()));
        locale = std::make_unique<LocaleScope>(commaLocale());
    }
    void cleanup()
    {
        orvel::setFileDialogHook({});
        if (w.form1)
            orvel::destroyOrvelWindows(w);
        locale.reset();
        QDir::setCurrent(oldDir);
        dir.reset();
    }

    // The field shows the date of the rates in use; it offers the bank's
    // first day to tomorrow.
    void theField()
    {
        start();
        QCOMPARE(dateEdit()->date(), QDate(2026, 12, 6));
        QCOMPARE(dateEdit()->minimumDate(), QDate(1992, 7, 1));
        QCOMPARE(dateEdit()->maximumDate(), today.addDays(1));
        QCOMPARE(dateEdit()->displayFormat(), QStringLiteral("dd.MM.yyyy"));
        QVERIFY(dateEdit()->calendarPopup());
        QCOMPARE(child<QLabel>(w.form1, "RateDateLabel")->text(), QStringLiteral("Курс на дату:"));
        QCOMPARE(child<QAbstractButton>(w.form1, "RateDateButton")->text(), QStringLiteral("Загрузить"));
        QCOMPARE(child<QAbstractButton>(w.form1, "RateHistoryButton")->text(), QStringLiteral("Динамика…"));
    }

    // Another day's rates replace the table and the lists; the chosen
    // currencies stay chosen by code when the new day lists them. cbr.xml
    // stays the latest document.
    void dateRequest()
    {
        start();
        const QByteArray cbrBefore = fileBytes("cbr.xml");
        list1()->setCurrentIndex(1); // USD
        list2()->setCurrentIndex(3); // KZT, which 01.12.2026 does not list
        QCOMPARE(load(QDate(2026, 12, 1)), QStringList());
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 01.12.2026"));
        QCOMPARE(dateEdit()->date(), QDate(2026, 12, 1));
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QCOMPARE(itemsOf(child<QComboBox>(w.form1, "CurrencyBox")), namesOf(oldCacheRows()));
        QCOMPARE(itemsOf(list1()), namesOf(oldCacheRows()));
        QCOMPARE(itemsOf(list2()), namesOf(oldCacheRows()));
        QCOMPARE(list1()->currentText(), QStringLiteral("Доллар США"));
        QCOMPARE(list2()->currentIndex(), -1);
        QCOMPARE(fileBytes(kept(QDate(2026, 12, 1))), fixture("cache_old.xml"));
        QCOMPARE(fileBytes("cbr.xml"), cbrBefore);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"cbr.xml"});
        QVERIFY(!QApplication::overrideCursor());
    }

    // A Saturday is answered with Friday's rates; Enter in the field loads.
    // Those rates convert, and stay available with the bank gone.
    void weekendAndCache()
    {
        start();
        list1()->setCurrentIndex(1);
        list2()->setCurrentIndex(0);
        const int before = server.requests().size();
        QCOMPARE(load(QDate(2026, 12, 5), true), QStringList());
        QCOMPARE(server.requests().size(), before + 1);
        QCOMPARE(server.requests().last().split(' ').value(1), request(QDate(2026, 12, 5)));
        const QString friday = QStringLiteral("Курс по данным ЦБ РФ от 04.12.2026 (запрошено на 05.12.2026)");
        QCOMPARE(label19(), friday);
        QCOMPARE(dateEdit()->date(), QDate(2026, 12, 4));
        QCOMPARE(list1()->currentText(), QStringLiteral("Доллар США"));
        QCOMPARE(list2()->currentText(), QStringLiteral("Российские рубли"));
        QCOMPARE(convert("100", 1, 0), QStringLiteral("100 USD=7790,12 RUB"));
        shot(w.form1, "15-past-rate.png");

        // The bank gone: the kept day is read with no network at all.
        bankGone();
        QCOMPARE(load(QDate(2026, 12, 5)), QStringList());
        QCOMPARE(label19(), friday);
        QCOMPARE(server.requests().size(), before + 1);

        // A day that was never kept: the box, and nothing changes but the
        // date the user asked for.
        QStringList state = tabState();
        state[1] = "02.12.2026";
        const QStringList boxes = load(QDate(2026, 12, 2));
        QCOMPARE(boxes, QStringList{"Нет связи с сервером ЦБ РФ, курсов на 02.12.2026 нет в кэше."});
        QCOMPARE(tabState(), state);
        QVERIFY(!QFileInfo::exists(kept(QDate(2026, 12, 2))));
    }

    // Today is always asked; without the bank its kept document is used and
    // the date line says so.
    void todayFromCache()
    {
        QByteArray doc = fixture("XML_daily.xml");
        doc.replace("06.12.2026", today.toString("dd.MM.yyyy").toLatin1());
        server.route(request(today), {200, doc, {}});
        start();
        const QString line = "Курс по данным ЦБ РФ от " + QLocale().toString(today, QLocale::ShortFormat);
        QCOMPARE(load(today), QStringList());
        QCOMPARE(label19(), line);
        const int before = server.requests().size();
        QCOMPARE(load(today), QStringList());
        QCOMPARE(server.requests().size(), before + 1);
        bankGone();
        QCOMPARE(load(today), QStringList());
        QCOMPARE(label19(), line + " (из кэша)");
        QCOMPARE(tableText(orvel::rateTable()), dailyRows());
    }

    // A document that fails to read replaces nothing and is not kept.
    void malformed()
    {
        start();
        list1()->setCurrentIndex(2);
        QStringList state = tabState();
        state[1] = "03.12.2026";
        QCOMPARE(load(QDate(2026, 12, 3)), QStringList{"'15.0917' is not a valid floating point value."});
        QCOMPARE(tabState(), state);
        QVERIFY(!QFileInfo::exists(kept(QDate(2026, 12, 3))));
    }

    // While the rates load the window stays in use, the button reads
    // "Отмена" and the label beside it counts what has arrived. Cancelling
    // (the button, Escape) changes nothing, also once the answer is in.
    void cancelLoad_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Отмена") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelLoad()
    {
        QFETCH(bool, escape);
        server.route(request(QDate(2026, 11, 30)), {200, lateDocument(), {}, HttpTestServer::Mode::Drip, 4});
        start();
        list1()->setCurrentIndex(1);
        list2()->setCurrentIndex(0);
        QStringList state = tabState();
        state[1] = "30.11.2026";
        dateEdit()->setDate(QDate(2026, 11, 30));
        click(w.form1, "RateDateButton");
        QCOMPARE(dateButton()->text(), QStringLiteral("Отмена"));
        QVERIFY(progress()->isVisible());
        QTRY_VERIFY(progress()->text().endsWith(" Б"));
        QVERIFY2(progress()->text().startsWith("Загрузка… "), qPrintable(progress()->text()));
        QCOMPARE(convert("100", 1, 0), QStringLiteral("100 USD=7823,91 RUB"));

        ModalWatcher boxes;
        if (escape) {
            dateEdit()->setFocus();
            QTest::keyClick(dateEdit(), Qt::Key_Escape);
        } else {
            click(w.form1, "RateDateButton");
        }
        QCOMPARE(dateButton()->text(), QStringLiteral("Загрузить"));
        QVERIFY(!progress()->isVisible());
        QTest::qWait(lateDocument().size() * 4 + 300); // the whole answer would be in by now
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(tabState(), state);
        QVERIFY(!QFileInfo::exists(kept(QDate(2026, 11, 30))));
    }

    // A second load replaces the first, whose answer is never shown; closing
    // the window while a load runs keeps nothing.
    void secondLoadReplacesFirst()
    {
        server.route(request(QDate(2026, 11, 30)), {200, lateDocument(), {}, HttpTestServer::Mode::Drip, 4});
        start();
        dateEdit()->setDate(QDate(2026, 11, 30));
        click(w.form1, "RateDateButton");
        QTRY_VERIFY(progress()->text().endsWith(" Б"));
        QCOMPARE(load(QDate(2026, 12, 1), true), QStringList());
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 01.12.2026"));
        QTest::qWait(lateDocument().size() * 4 + 300);
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 01.12.2026"));
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QVERIFY(!QFileInfo::exists(kept(QDate(2026, 11, 30))));

        click(w.form1, "RateDateButton"); // 01.12.2026 again, from the cache
        QTRY_COMPARE(dateButton()->text(), QStringLiteral("Загрузить"));
        dateEdit()->setDate(QDate(2026, 11, 30));
        click(w.form1, "RateDateButton");
        QTRY_VERIFY(progress()->text().endsWith(" Б"));
        w.form1->close();
        orvel::destroyOrvelWindows(w);
        QTest::qWait(lateDocument().size() * 4 + 300);
        QVERIFY(!QFileInfo::exists(kept(QDate(2026, 11, 30))));
    }

    // What went wrong is said; the note on the cache follows.
    void bankFaults_data()
    {
        QTest::addColumn<HttpTestServer::Reply>("reply");
        QTest::addColumn<QString>("box");
        QTest::newRow("status 500") << HttpTestServer::Reply{500, "<html>Internal error</html>", {}}
                                    << "Сервер ЦБ РФ ответил ошибкой 500, курсов на 29.11.2026 нет в кэше.";
        QTest::newRow("never answers") << HttpTestServer::Reply{200, "x", {}, HttpTestServer::Mode::Silent}
                                       << "Нет связи с сервером ЦБ РФ, курсов на 29.11.2026 нет в кэше.";
        QTest::newRow("over the size limit") << HttpTestServer::Reply{200, QByteArray(5000, 'x'), {}}
                                             << "Ответ сервера ЦБ РФ слишком велик, курсов на 29.11.2026 нет в кэше.";
    }
    void bankFaults()
    {
        QFETCH(HttpTestServer::Reply, reply);
        QFETCH(QString, box);
        server.route(request(QDate(2026, 11, 29)), reply);
        orvel::FetchLimits limits;
        limits.totalTimeoutMs = 500;
        limits.maxBytes = 4096;
        orvel::setRateFetchLimits(limits);
        start();
        QStringList state = tabState();
        state[1] = "29.11.2026";
        const QStringList boxes = load(QDate(2026, 11, 29));
        orvel::setRateFetchLimits({});
        QCOMPARE(boxes, QStringList{box});
        QCOMPARE(tabState(), state);
    }

    // "Динамика…" takes the currency converted from, else the one converted
    // to; the rouble has no history.
    void historyButton_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("shown"); // the window's currency, or the box
        QTest::newRow("none chosen") << -1 << -1 << "Выберите валюту.";
        QTest::newRow("rouble to nothing") << 0 << -1 << "Выберите валюту.";
        QTest::newRow("rouble to rouble") << 0 << 0 << "Выберите валюту.";
        QTest::newRow("from") << 3 << 1 << "Казахстанских тенге (KZT)";
        QTest::newRow("rouble to tenge") << 0 << 3 << "Казахстанских тенге (KZT)";
        QTest::newRow("nothing to tenge") << -1 << 3 << "Казахстанских тенге (KZT)";
    }
    void historyButton()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, shown);
        // The window starts on the last 90 days up to today.
        server.route(historyRequest(today.addDays(-90), today, "R01335"), {200, fixture("dynamic_kzt.xml"), {}});
        start();
        list1()->setCurrentIndex(from);
        list2()->setCurrentIndex(to);
        ModalWatcher boxes;
        click(w.form1, "RateHistoryButton");
        if (shown.endsWith('.')) {
            QCOMPARE(boxes.texts(), QStringList{shown});
            QVERIFY(!history() || !history()->isVisible());
            return;
        }
        QCOMPARE(boxes.texts(), QStringList());
        TRateHistoryForm *h = history();
        QVERIFY(h && h->isVisible());
        QVERIFY(!h->isModal());
        QCOMPARE(h->RateHistoryCurrency->currentText(), shown);
        QCOMPARE(itemsOf(h->RateHistoryCurrency),
                 (QStringList{"Доллар США (USD)", "Евро (EUR)", "Казахстанских тенге (KZT)",
                              "Украинских гривен (UAH)", "Японских иен (JPY)"}));
        QCOMPARE(h->RateHistoryFrom->date(), today.addDays(-90));
        QCOMPARE(h->RateHistoryTo->date(), today);
        QCOMPARE(h->RateHistoryFigures->text(), kKztFigures);
        QCOMPARE(h->RateHistoryTable->model()->rowCount(), 7);
        QCOMPARE(h->RateHistoryTable->model()->index(3, 0).data().toString(), QStringLiteral("04.12.2026"));
        QCOMPARE(h->RateHistoryTable->model()->index(3, 3).data().toString(), QStringLiteral("0,1498765"));
        auto *series = qobject_cast<QLineSeries *>(h->RateHistoryChart->chart()->series().constFirst());
        QCOMPARE(series->count(), 7);
        QCOMPARE(series->at(3).y(), 0.1498765);
        QCOMPARE(h->RateHistoryReadout->text(), QStringLiteral("09.12.2026: 0,1519 руб. за 1 KZT (151,9000 руб. за 1000)"));
        QVERIFY(!QApplication::overrideCursor());
    }

    // The window itself: a kept past period, presets, an empty period, a
    // record that does not read, zoom, the readout, and both exports.
    void historyWindow()
    {
        const QDate from(2026, 12, 1), to(2026, 12, 9);
        server.route(historyRequest(today.addDays(-90), today, "R01335"), {200, fixture("dynamic_kzt.xml"), {}});
        server.route(historyRequest(from, to, "R01335"), {200, fixture("dynamic_kzt.xml"), {}});
        server.route(historyRequest(today.addMonths(-1), today, "R01335"),
                     {200, emptyHistory(today.addMonths(-1), today, "R01335"), {}});
        server.route(historyRequest(from, to, "R01235"), {200, fixture("dynamic_bad_value.xml"), {}});
        start();
        list1()->setCurrentIndex(3);
        {
            ModalWatcher boxes;
            click(w.form1, "RateHistoryButton");
            QCOMPARE(boxes.texts(), QStringList());
        }
        TRateHistoryForm *h = history();
        QVERIFY(QTest::qWaitForWindowExposed(h));
        h->RateHistoryFrom->setDate(from);
        h->RateHistoryTo->setDate(to);
        {
            ModalWatcher boxes;
            h->RateHistoryTo->setFocus();
            QTest::keyClick(h->RateHistoryTo, Qt::Key_Enter);
            QCOMPARE(boxes.texts(), QStringList());
        }
        QCOMPARE(h->RateHistoryFigures->text(), kKztFigures);
        QVERIFY(QFileInfo::exists(cacheHome.path() + "/Orvel/rates/dynamic-R01335-2026-12-01-2026-12-09.xml"));
        shot(h, "15-history-chart.png");

        // Zoom on the time axis; the rate axis follows the days in view.
        auto *axisX = qobject_cast<QDateTimeAxis *>(h->RateHistoryChart->chart()->axes(Qt::Horizontal).constFirst());
        auto *axisY = qobject_cast<QValueAxis *>(h->RateHistoryChart->chart()->axes(Qt::Vertical).constFirst());
        QCOMPARE(h->viewFrom(), from);
        QCOMPARE(h->viewTo(), to);
        QVERIFY(axisY->min() <= 0.1498765 && axisY->max() >= 0.1526);
        h->zoomTo(QDate(2026, 12, 1), QDate(2026, 12, 3)); // 0,150917 to 0,152001
        QCOMPARE(axisX->min().date(), QDate(2026, 12, 1));
        QCOMPARE(axisX->max().date(), QDate(2026, 12, 3));
        QVERIFY2(axisY->min() > 0.1498765 && axisY->min() <= 0.150917 && axisY->max() >= 0.152001
                     && axisY->max() < 0.1526,
                 qPrintable(QString("%1 %2").arg(axisY->min()).arg(axisY->max())));
        click(h, "RateHistoryZoomReset");
        QCOMPARE(h->viewFrom(), from);
        QCOMPARE(h->viewTo(), to);
        h->RateHistoryChart->setFocus();
        QTest::keyClick(h->RateHistoryChart, Qt::Key_Plus);
        QVERIFY(h->viewFrom().daysTo(h->viewTo()) < 8);
        QTest::keyClick(h->RateHistoryChart, Qt::Key_Home);
        QCOMPARE(h->viewFrom().daysTo(h->viewTo()), 8);
        // The readout follows the table's row.
        h->RateHistoryTable->selectRow(3);
        QCOMPARE(h->RateHistoryReadout->text(), QStringLiteral("04.12.2026: 0,1498765 руб. за 1 KZT (149,8765 руб. за 1000)"));

        // Exports.
        QTemporaryDir out;
        QList<orvel::FileDialogRequest> asked;
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &r) {
            asked << r;
            return out.filePath(r.fileName);
        });
        {
            ModalWatcher boxes;
            click(h, "RateHistoryCsv");
            click(h, "RateHistoryPng");
            QCOMPARE(boxes.texts(), QStringList());
        }
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].fileName, QStringLiteral("KZT_2026-12-01_2026-12-09.csv"));
        QCOMPARE(asked[0].kind, orvel::FileDialogRequest::Save);
        QCOMPARE(asked[1].fileName, QStringLiteral("KZT_2026-12-01_2026-12-09.png"));
        const QByteArray csv = fileBytes(out.filePath(asked[0].fileName));
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"
                               "Дата;Номинал;Курс;Курс за 1 единицу\r\n01.12.2026;100;15,1234;0,151234\r\n"));
        QCOMPARE(csv.count("\r\n"), 8);
        QCOMPARE(csv, orvel::historyCsv(h->records())); // the window's file is the history's text
        const QImage png(out.filePath(asked[1].fileName), "PNG");
        QCOMPARE(png.size(), h->RateHistoryChart->size() * h->RateHistoryChart->devicePixelRatioF());
        // The same records as a workbook, a PDF and printed pages.
        {
            ModalWatcher boxes;
            click(h, "RateHistoryXlsx");
            click(h, "RateHistoryPdf");
            QCOMPARE(boxes.texts(), QStringList());
        }
        QCOMPARE(asked.size(), 4);
        QCOMPARE(asked[2].fileName, QStringLiteral("KZT_2026-12-01_2026-12-09.xlsx"));
        QVERIFY(fileBytes(out.filePath(asked[2].fileName)).startsWith("PK\x03\x04"));
        QCOMPARE(asked[3].fileName, QStringLiteral("KZT_2026-12-01_2026-12-09.pdf"));
        QVERIFY(fileBytes(out.filePath(asked[3].fileName)).startsWith("%PDF-"));
        const QString printed = out.filePath(QStringLiteral("печать.pdf"));
        orvel::setPrintDialogHook([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        });
        {
            ModalWatcher boxes;
            click(h, "RateHistoryPrint");
            QCOMPARE(boxes.texts(), QStringList());
        }
        orvel::setPrintDialogHook({});
        QVERIFY(fileBytes(printed).startsWith("%PDF-"));

        // The period is over: with the bank gone it comes from the cache.
        bankGone();
        h->bankSite = orvel::bankSite(w.form1->rateUrl);
        {
            ModalWatcher boxes;
            click(h, "RateHistoryShow");
            QCOMPARE(boxes.texts(), QStringList());
        }
        QCOMPARE(h->RateHistoryFigures->text(), kKztFigures);

        // A preset ends today, so it is asked; this one has no trading day.
        h->bankSite = server.url(QString());
        {
            ModalWatcher boxes;
            click(h, "RateHistoryMonth");
            QCOMPARE(boxes.texts(), QStringList());
        }
        QCOMPARE(h->RateHistoryFrom->date(), today.addMonths(-1));
        QCOMPARE(h->RateHistoryTo->date(), today);
        QCOMPARE(h->RateHistoryFigures->text(), QStringLiteral("Нет данных за период"));
        QCOMPARE(h->RateHistoryTable->model()->rowCount(), 0);
        QVERIFY(!h->RateHistoryCsv->isEnabled());
        QVERIFY(!h->RateHistoryPng->isEnabled());
        for (const char *name : {"RateHistoryXlsx", "RateHistoryPdf", "RateHistoryPrint"})
            QVERIFY2(!child<QPushButton>(h, name)->isEnabled(), name);

        // A record that does not read: the box in this window, nothing drawn.
        h->RateHistoryFrom->setDate(from);
        h->RateHistoryTo->setDate(to);
        h->RateHistoryCurrency->setCurrentIndex(h->RateHistoryCurrency->findData("R01235"));
        ModalWatcher boxes;
        click(h, "RateHistoryShow");
        QCOMPARE(boxes.texts(), QStringList{"'78.3012' is not a valid floating point value."});
        QCOMPARE(boxes.boxes[0].owner, static_cast<QWidget *>(h));
        QCOMPARE(h->RateHistoryTable->model()->rowCount(), 0);
        QCOMPARE(h->records().size(), std::size_t(0));
        QCOMPARE(qobject_cast<QLineSeries *>(h->RateHistoryChart->chart()->series().constFirst())->count(), 0);
        QCOMPARE(h->RateHistoryFigures->text(), QString());
        QVERIFY(!QFileInfo::exists(cacheHome.path() + "/Orvel/rates/dynamic-R01235-2026-12-01-2026-12-09.xml"));
    }

    // The window's list follows the rates in use each time it is opened.
    void historyAfterAnotherDate()
    {
        server.route(historyRequest(today.addDays(-90), today, "R01335"), {200, fixture("dynamic_kzt.xml"), {}});
        server.route(historyRequest(today.addDays(-90), today, "R01235"),
                     {200, historyDocument(today.addDays(-90), today), {}});
        start();
        list1()->setCurrentIndex(3);
        click(w.form1, "RateHistoryButton");
        QCOMPARE(history()->RateHistoryCurrency->currentText(), QStringLiteral("Казахстанских тенге (KZT)"));
        QCOMPARE(load(QDate(2026, 12, 1)), QStringList()); // lists EUR and USD only
        list1()->setCurrentIndex(2);
        click(w.form1, "RateHistoryButton");
        QCOMPARE(itemsOf(history()->RateHistoryCurrency), (QStringList{"Евро (EUR)", "Доллар США (USD)"}));
        QCOMPARE(history()->RateHistoryCurrency->currentText(), QStringLiteral("Доллар США (USD)"));
        QVERIFY(history()->records().size() > 60);
        shot(history(), "15-history-quarter.png");
    }
};

QTEST_MAIN(TestRateDate)
#include "test_rate_date.moc"
