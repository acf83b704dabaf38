// The deposit window's speed: a key typed into one of its fields until the
// table, tax table, summary and chart are shown again and the window is
// repainted, for ten years capitalized daily with 120 top-ups and
// withdrawals; and the files of that deposit. Prints rows of the same table
// as bench_orvel (no header).
//
//   cmake --build build --target bench_deposit_window
//   QT_QPA_PLATFORM=offscreen build/bin/bench_deposit_window [runs]
#include "rates/KeyRateStore.h"
#include "ui/deposit/DepositChart.h"
#include "ui/deposit/DepositReport.h"
#include "ui/deposit/TDepositForm.h"
#include "ui/export/Export.h"
#include "ui/RowsEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void row(const char *name, std::vector<double> ms, const char *note)
{
    if (ms.empty()) {
        std::fprintf(stderr, "%s: not measured (the window was never shown)\n", name);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    const auto cell = [](double x) { return QString::number(x, 'f', x < 10 ? 2 : 0) + QStringLiteral(" ms"); };
    std::printf("%-44s  %10s  %10s  %10s  %s\n", name, qPrintable(cell(median)), qPrintable(cell(ms.front())),
                qPrintable(cell(ms.back())), note);
}

// 1 000 000 at 16 % from 15.01.2025 for 120 months, every day capitalized;
// on the 10th of each month a top-up of 50 000 and a withdrawal of 30 000
// in turn, above a minimum balance of 100 000.
void fill(TDepositForm &form)
{
    form.setDeposit(1000000, 16, 3652, false);
    form.DepositOpened->setDate(QDate(2025, 1, 15));
    form.DepositTermUnit->setCurrentIndex(1);
    form.DepositTerm->setText(QStringLiteral("120"));
    form.DepositCapitalization->setCurrentIndex(2);
    form.DepositMinimumBalance->setText(QStringLiteral("100000"));
    orvel::RowsEditor *flows = form.flows();
    for (int m = 0; m < 120; ++m)
        flows->addRow([flows, m](int r) {
            flows->fieldAs<QDateEdit>(r, 0)->setDate(QDate(2025, 2, 10).addMonths(m));
            flows->fieldAs<QLineEdit>(r, 1)->setText(m % 2 ? QStringLiteral("30000") : QStringLiteral("50000"));
            flows->fieldAs<QComboBox>(r, 2)->setCurrentIndex(m % 2);
        });
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Milliseconds from a key typed into `field` to the window repainted, per key.
std::vector<double> typing(TDepositForm &form, QLineEdit *field, const QString &keys, int runs)
{
    std::vector<double> samples;
    const QString before = field->text();
    for (int run = 0; run < runs; ++run) {
        field->clear();
        settle();
        for (QChar key : keys) {
            QElapsedTimer clock;
            clock.start();
            QTest::keyClicks(field, QString(key));
            settle();
            form.repaint();
            samples.push_back(clock.nsecsElapsed() / 1e6);
        }
    }
    field->setText(before);
    settle();
    return samples;
}

template <typename Make>
std::vector<double> fileTimes(int runs, Make make)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        if (make().isEmpty())
            return {};
        samples.push_back(clock.nsecsElapsed() / 1e6);
    }
    return samples;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir cache;
    orvel::KeyRateStore store(QStringLiteral("http://127.0.0.1:9/"), cache.path(), orvel::shippedKeyRateFile());

    TDepositForm form;
    form.setKeyRateStore(&store);
    fill(form);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    settle();
    if (!form.reportCurrent() || form.report().terms.flows.size() != 120) {
        std::fprintf(stderr, "the deposit was not calculated: %s\n", qPrintable(form.DepositStatus->text()));
        return 1;
    }
    const QByteArray rows = QByteArray::number(qulonglong(form.report().result.rows.size())) + " rows";
    orvel::RowsEditor *flows = form.flows();
    row("deposit window, key in the first flow", typing(form, flows->fieldAs<QLineEdit>(0, 1), QStringLiteral("50000"), runs),
        (rows + ", key to tables, chart and window repainted").constData());
    row("deposit window, key in the last flow", typing(form, flows->fieldAs<QLineEdit>(119, 1), QStringLiteral("30000"), runs),
        "the same, the rows after the last flow changed");
    row("deposit window, key in the monthly top-up", typing(form, form.DepositMonthlyTopUp, QStringLiteral("10000"), runs),
        "the same, 119 flows more");

    const orvel::DepositReport report = form.report();
    const QLocale locale;
    const orvel::ChartPainter chart = [&](QPainter &p, const QRectF &target) {
        orvel::DepositChart::render(report.terms, report.result, locale, p, target);
    };
    const orvel::ExportDocument document = orvel::depositDocument(report, false, locale, chart);
    const orvel::ExportDocument paper = orvel::depositDocument(report, true, locale, chart);
    row("deposit .xlsx, ten years daily", fileTimes(runs, [&] { return orvel::documentXlsx(document); }),
        (rows + ", bytes made").constData());
    row("deposit .csv, ten years daily", fileTimes(runs, [&] { return orvel::documentCsv(document); }),
        (rows + ", bytes made").constData());
    row("deposit .pdf, ten years daily", fileTimes(runs, [&] { return orvel::documentPdf(paper, locale); }),
        "the same, with the chart");
    return 0;
}
