#pragma once
// The window benchmarks' samples of typing: the time from a key typed into a
// field to the window painted again.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QWidget>

#include <vector>

namespace orvelbench {

// Milliseconds from each of `keys` typed into `field` to `window` repainted,
// per key, `runs` times over with the field emptied before each; `settle`
// lets the window follow (the events its own loop would handle).
template <typename Settle>
std::vector<double> keyTimes(QWidget &window, QLineEdit *field, const QString &keys, int runs, Settle settle)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        field->clear();
        settle();
        for (QChar key : keys) {
            QElapsedTimer clock;
            clock.start();
            QTest::keyClicks(field, QString(key));
            settle();
            window.repaint();
            samples.push_back(clock.nsecsElapsed() / 1e6);
        }
    }
    return samples;
}

} // namespace orvelbench
