// The deposit window's speed: a key typed into one of its fields until the
// table, tax table, summary and chart are shown again and the window is
// repainted, for ten years capitalized daily with 120 top-ups and
// withdrawals; and the files of that deposit. Prints rows of the same table
// as bench_orvel (no header).
//
//   cmake --build build --target bench_deposit_window
//   QT_QPA_PLATFORM=offscreen build/bin/bench_deposit_window [runs]
#include "BenchKeys.h"
#include "BenchRow.h"
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
#include <cstdlib>
#include <vector>

namespace {

using orvelbench::fileTimes;
using orvelbench::printRow;

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
    const QString before = field->text();
    std::vector<double> samples = orvelbench::keyTimes(form, field, keys, runs, settle);
    field->setText(before);
    settle();
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
    QLineEdit *first = flows->fieldAs<QLineEdit>(0, 1), *last = flows->fieldAs<QLineEdit>(119, 1);
    printRow("deposit window, key in the first flow", typing(form, first, QStringLiteral("50000"), runs),
             (rows + ", key to tables, chart and window repainted").constData());
    printRow("deposit window, key in the last flow", typing(form, last, QStringLiteral("30000"), runs),
             "the same, the rows after the last flow changed");
    printRow("deposit window, key in the monthly top-up",
             typing(form, form.DepositMonthlyTopUp, QStringLiteral("10000"), runs),
             "the same, 119 flows more");

    const orvel::DepositReport report = form.report();
    const QLocale locale;
    const orvel::ChartPainter chart = [&](QPainter &p, const QRectF &target) {
        orvel::DepositChart::render(report.terms, report.result, locale, p, target);
    };
    const orvel::ExportDocument document = orvel::depositDocument(report, false, locale, chart);
    const orvel::ExportDocument paper = orvel::depositDocument(report, true, locale, chart);
    printRow("deposit .xlsx, ten years daily", fileTimes(runs, [&] { return orvel::documentXlsx(document); }),
             (rows + ", bytes made").constData());
    printRow("deposit .csv, ten years daily", fileTimes(runs, [&] { return orvel::documentCsv(document); }),
             (rows + ", bytes made").constData());
    printRow("deposit .pdf, ten years daily", fileTimes(runs, [&] { return orvel::documentPdf(paper, locale); }),
             "the same, with the chart");
    return 0;
}
