// The payment schedule's speed, with no office: the schedule itself for a
// long loan with many early repayments, the window following a typed early
// repayment (alone, and among 200 rows), and the schedule's files (.xlsx,
// .csv, .pdf) made for the longest term. Prints rows of the same table as
// bench_orvel.
//
//   cmake --build build --target bench_schedule
//   QT_QPA_PLATFORM=offscreen build/bin/bench_schedule [runs]
#include "BenchKeys.h"
#include "BenchRow.h"
#include "calc/Schedule.h"
#include "calc/ScheduleReport.h"
#include "ui/schedule/ScheduleChart.h"
#include "ui/schedule/ScheduleFiles.h"
#include "ui/schedule/TScheduleForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using orvelbench::fileTimes;
using orvelbench::printRow;

// 1200 months of a 10,000,000 loan at 9.5% with an early repayment of
// 20,000 every 12 months, the two modes in turn: 100 repayments.
orvel::LoanTerms longLoan()
{
    orvel::LoanTerms t{10000000, 9.5, 1200, orvel::Repayment::Annuity, {}};
    for (int i = 0; i < 100; ++i)
        t.early.push_back({12 * (i + 1) - 6, 2000000, i % 2 ? orvel::EarlyMode::LowerPayment
                                                            : orvel::EarlyMode::ShortenTerm});
    return t;
}

// One turn of the event loop as the program's own loop makes it: the posted
// events, then the objects deleted later. No loop runs here (exec() is never
// called), so without the second step every object the window or the chart
// let go of with deleteLater() would stay in memory to the end.
void turn()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Milliseconds from a key typed into the first early repayment's amount to
// the window painted again, per key, for a loan of `months` with `rows`
// early repayment rows (the others of 5 000 every six months).
std::vector<double> typing(int months, int rows, int runs)
{
    TScheduleForm form;
    form.setLoan(3000000, 9, months, orvel::Repayment::Annuity);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return {};
    for (int n = 1; n <= rows; ++n) {
        QTest::mouseClick(form.EarlyAdd, Qt::LeftButton);
        turn();
        if (n == 1)
            continue;
        const QString number = QString::number(n);
        form.findChild<QSpinBox *>(QStringLiteral("EarlyMonth") + number)->setValue(std::min(6 * n, months - 1));
        form.findChild<QLineEdit *>(QStringLiteral("EarlyAmount") + number)->setText(QStringLiteral("5000"));
        turn();
    }
    auto *amount = form.findChild<QLineEdit *>(QStringLiteral("EarlyAmount1"));
    return orvelbench::keyTimes(form, amount, QStringLiteral("150000"), runs, turn);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const orvel::LoanTerms loan = longLoan();
    std::vector<double> schedule;
    for (int run = 0; run < runs; ++run) {
        constexpr int calls = 200;
        QElapsedTimer clock;
        clock.start();
        std::size_t rows = 0;
        for (int i = 0; i < calls; ++i)
            rows += orvel::loanSchedule(loan).rows.size();
        schedule.push_back(clock.nsecsElapsed() / 1e6 / calls);
        if (rows == 0)
            return 1;
    }
    printRow("schedule, 1200 months, 100 early repayments", schedule,
             "loanSchedule(), mean of 200, with the plain schedule");
    printRow("schedule window, typed key, 360 months", typing(360, 1, runs),
             "key to table, chart and window repainted");
    printRow("schedule window, typed key, 1200 months", typing(1200, 1, runs), "the same for the longest term");
    printRow("schedule window, typed key, 1200 m., 200 rows", typing(1200, 200, runs),
             "the same among 200 early repayments");

    const orvel::ScheduleReport report = orvel::makeScheduleReport(loan);
    const QLocale locale;
    const orvel::ChartPainter chart = [&](QPainter &p, const QRectF &target) {
        orvel::ScheduleChart::render(report.schedule, locale, p, target);
    };
    const QByteArray note = QByteArray::number(qulonglong(report.schedule.rows.size())) + " months, bytes made";
    printRow("schedule .xlsx, longest loan", fileTimes(runs, [&] { return orvel::scheduleXlsx(report); }),
             note.constData());
    printRow("schedule .csv, longest loan", fileTimes(runs, [&] { return orvel::scheduleCsv(report); }),
             note.constData());
    printRow("schedule .pdf, longest loan", fileTimes(runs, [&] { return orvel::schedulePdf(report, locale, chart); }),
             "the same, with the chart");
    return 0;
}
