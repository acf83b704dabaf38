// A currency's history over ten years (about 2,600 records, one dynamics
// document of the bank's shape), each step measured `runs` times:
//  - the document read (the reader alone; mean of 20 reads);
//  - read and drawn in the history window: from the fetched bytes to the
//    chart laid out and painted (the table and the figures line included);
//  - the same from the button "Показать", with the fetch from a server on
//    127.0.0.1 in front of it.
// Needs no office. Run with scripts/bench.sh [runs]; or build the target
// bench_rate_history and run
//   QT_QPA_PLATFORM=offscreen build/bin/bench_rate_history [runs]
#include "HistoryFixtures.h"
#include "HttpTestServer.h"
#include "rates/RateArchive.h"
#include "rates/RateDocument.h"
#include "ui/FileDialogs.h"
#include "ui/history/TRateHistoryForm.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double ms(qint64 ns) { return ns / 1e6; }

struct Row {
    const char *name;
    const char *note;
    std::vector<double> samples; // ms
};

void print(const std::vector<Row> &rows)
{
    for (const Row &r : rows) {
        std::vector<double> v = r.samples;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
        const auto cell = [](double x) { return QString::number(x, 'f', x < 10 ? 2 : 0) + QStringLiteral(" ms"); };
        std::printf("%s  %10s  %10s  %10s  %s\n", QString::fromUtf8(r.name).leftJustified(44).toUtf8().constData(),
                    qPrintable(cell(median)), qPrintable(cell(v.front())), qPrintable(cell(v.back())), r.note);
    }
}

// Lets the chart lay itself out (posted events), then paints the window.
void drawn(TRateHistoryForm &form)
{
    QApplication::processEvents();
    form.RateHistoryChart->grab();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    for (const char *proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(proxy);
    QTemporaryDir cache; // never the user's cache
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());

    const QDate today = QDate::currentDate();
    const QDate from = today.addYears(-10);
    const QByteArray document = orveltest::historyDocument(from, today);
    const std::size_t records = orvel::readRateHistory(document).records.size();

    orvel::RateTable table{TCurrencyData{QStringLiteral("USD"), QStringLiteral("Доллар США"), 1, 78.2391,
                                         QStringLiteral("R01235")}};
    TRateHistoryForm form;
    form.setCurrencies(table);
    form.RateHistoryCurrency->setCurrentIndex(0);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;

    orveltest::HttpTestServer server;
    server.route("/scripts/XML_dynamic.asp?date_req1=" + from.toString("dd/MM/yyyy").toLatin1() + "&date_req2="
                     + today.toString("dd/MM/yyyy").toLatin1() + "&VAL_NM_RQ=R01235",
                 {200, document, {}});
    form.bankSite = server.url(QString());
    form.RateHistoryFrom->setDate(from);
    form.RateHistoryTo->setDate(today);

    std::vector<Row> rows{{"read dynamics document, 10 years", "", {}},
                          {"history: read and drawn, 10 years", "bytes to chart painted", {}},
                          {"history: \"Показать\", local server", "fetch, read, chart painted", {}},
                          {"history: .csv saved, 10 years", "button to file stored", {}},
                          {"history: .png saved", "button to file stored", {}}};
    const QByteArray readNote = QByteArray::number(qulonglong(records)) + " records, "
                                + QByteArray::number(document.size()) + " bytes; mean of 20";
    rows[0].note = readNote.constData();

    QElapsedTimer clock;
    for (int run = 0; run < runs; ++run) {
        clock.start();
        for (int i = 0; i < 20; ++i)
            orvel::readRateHistory(document);
        rows[0].samples.push_back(ms(clock.nsecsElapsed()) / 20);

        form.showHistory(orvel::RateHistory{}, QStringLiteral("USD")); // nothing drawn before
        drawn(form);
        clock.start();
        form.showHistory(orvel::readRateHistory(document), QStringLiteral("USD"));
        drawn(form);
        rows[1].samples.push_back(ms(clock.nsecsElapsed()));

        form.showHistory(orvel::RateHistory{}, QStringLiteral("USD"));
        drawn(form);
        clock.start();
        form.RateHistoryShowClick();
        drawn(form);
        rows[2].samples.push_back(ms(clock.nsecsElapsed()));
        if (form.records().size() != records)
            return 2;

        // The exports, their save dialogs answered at once.
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &r) { return cache.filePath(r.fileName); });
        clock.start();
        form.RateHistoryCsvClick();
        rows[3].samples.push_back(ms(clock.nsecsElapsed()));
        clock.start();
        form.RateHistoryPngClick();
        rows[4].samples.push_back(ms(clock.nsecsElapsed()));
        orvel::setFileDialogHook({});
        std::fprintf(stderr, "history run %d of %d\n", run + 1, runs);
    }
    print(rows);
    return 0;
}
