// The penalties window's speed: ten years (21.03.2016 - 20.03.2026, the
// shipped key rate), 50 debts and 200 payments, an organisation's penalties;
// the time from a key typed into a payment's amount to the table, chart,
// totals and window painted again. Prints rows of the same table as
// bench_orvel.
//
//   cmake --build build --target bench_penalty_window
//   QT_QPA_PLATFORM=offscreen build/bin/bench_penalty_window [runs]
#include "BenchKeys.h"
#include "BenchRow.h"
#include "rates/KeyRateStore.h"
#include "ui/penalty/PenaltyModel.h"
#include "ui/penalty/TPenaltyForm.h"
#include "ui/RowsEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using orvelbench::printRow;

// The debts and payments of bench_penalty, typed into the editors.
void fill(TPenaltyForm &form)
{
    const QDate first(2016, 3, 21);
    form.PenaltyKind->setCurrentIndex(1); // an organisation
    form.PenaltyUntil->setDate(QDate(2026, 3, 20));
    form.Debts->clear();
    for (int i = 0; i < 50; ++i)
        form.Debts->addRow([&](int r) {
            form.Debts->fieldAs<QLineEdit>(r, 0)->setText(QString::number(1000000 + 37000 * i));
            form.Debts->fieldAs<QDateEdit>(r, 1)->setDate(first.addDays(73 * i));
        });
    for (int i = 0; i < 200; ++i)
        form.Payments->addRow([&](int r) {
            form.Payments->fieldAs<QDateEdit>(r, 0)->setDate(first.addDays(18 * i + 5));
            form.Payments->fieldAs<QLineEdit>(r, 1)->setText(QString::number(150000 + 900 * i));
        });
    QApplication::processEvents();
}

// Milliseconds from a key typed into payment 100's amount to the window
// painted again, per key.
std::vector<double> typing(TPenaltyForm &form, int runs)
{
    auto *amount = form.findChild<QLineEdit *>(QStringLiteral("PaymentAmount100"));
    if (!amount)
        return {};
    return orvelbench::keyTimes(form, amount, QStringLiteral("150000"), runs, [] { QApplication::processEvents(); });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir cache;
    orvel::KeyRateStore store(QStringLiteral("http://127.0.0.1:9/"), cache.path(), orvel::shippedKeyRateFile());
    TPenaltyForm form(&store);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "penalty window: not measured (the window was never shown)\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    fill(form);
    form.repaint();
    const double filled = clock.nsecsElapsed() / 1e6;
    if (!form.hasResult())
        return 1;
    const std::vector<double> keys = typing(form, runs);
    printRow("penalty window, typed key, 50 debts", keys,
             qPrintable(QStringLiteral("key to table, chart, totals and window repainted; 200 payments, %1 rows")
                            .arg(form.model()->rowCount())));
    printRow("penalty window, 250 rows entered", {filled}, "50 debts and 200 payments set, counted, painted");
    return 0;
}
