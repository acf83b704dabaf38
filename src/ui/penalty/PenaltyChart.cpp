#include "ui/penalty/PenaltyChart.h"

#include "calc/ScheduleReport.h"
#include "ui/Charts.h"

#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLineSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace orvel {

namespace {

const QColor kAccruedColor(192, 57, 43);

// The axis counts milliseconds; a day is placed at its local midnight, so
// the axis labels name the day itself.
qreal msOf(qint64 julianDay) { return qreal(QDate::fromJulianDay(julianDay).startOfDay().toMSecsSinceEpoch()); }
QDate dayOf(qreal ms) { return QDateTime::fromMSecsSinceEpoch(qint64(ms)).date(); }

QList<QPointF> onDateAxis(const std::vector<QPointF> &points)
{
    QList<QPointF> out;
    out.reserve(qsizetype(points.size()));
    for (const QPointF &p : points)
        out << QPointF(msOf(qint64(p.x())), p.y());
    return out;
}

} // namespace

PenaltyChart::PenaltyChart(QGraphicsItem *parent) : QChart(parent)
{
    setUpChart(*this);

    m_accrued = new QLineSeries;
    m_accrued->setName(QStringLiteral("Пени нарастающим итогом, ₽"));
    QPen accruedPen(kAccruedColor);
    accruedPen.setWidthF(2.5);
    m_accrued->setPen(accruedPen);
    m_rate = new QLineSeries;
    m_rate->setName(QStringLiteral("Ключевая ставка, % (правая шкала)"));
    QPen ratePen(kChartMainColor);
    ratePen.setWidthF(1.5);
    m_rate->setPen(ratePen);

    m_dates = new QDateTimeAxis;
    m_dates->setTickCount(7);
    m_money = new QValueAxis;
    m_money->setLabelFormat(QStringLiteral("%.0f"));
    m_money->setTitleText(QStringLiteral("Пени, ₽"));
    m_rateAxis = new QValueAxis;
    m_rateAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_rateAxis->setTitleText(QStringLiteral("Ставка, %"));
    m_rateAxis->setGridLineVisible(false);
    addAxis(m_dates, Qt::AlignBottom);
    addAxis(m_money, Qt::AlignLeft);
    addAxis(m_rateAxis, Qt::AlignRight);
    attach();
    clear();

    connect(m_accrued, &QLineSeries::hovered, this, [this](const QPointF &point, bool on) {
        if (on)
            QToolTip::showText(QCursor::pos(), tip(point));
        else
            QToolTip::hideText();
    });
}

std::vector<QPointF> PenaltyChart::accruedByDay(const PenaltyResult &result)
{
    struct Change {
        qint64 day;
        int rows;           // +1: a row starts this morning, -1: it ended last night
        std::int64_t ended; // the kopecks of a row that ended
        double slope;       // roubles a day
    };
    std::vector<Change> changes;
    changes.reserve(result.rows.size() * 2);
    for (const PenaltyRow &r : result.rows) {
        if (r.days <= 0)
            continue;
        const double slope = double(r.amount) / 100.0 / r.days;
        changes.push_back({r.from.toJulianDay(), 1, 0, slope});
        changes.push_back({r.to.toJulianDay() + 1, -1, r.amount, -slope});
    }
    std::stable_sort(changes.begin(), changes.end(), [](const Change &a, const Change &b) { return a.day < b.day; });
    std::vector<QPointF> points;
    std::int64_t done = 0; // the rows ended so far, exact
    double running = 0, slope = 0;
    int active = 0;
    for (std::size_t i = 0; i < changes.size();) {
        const qint64 day = changes[i].day;
        if (!points.empty())
            running += slope * double(day - qint64(points.back().x()));
        for (; i < changes.size() && changes[i].day == day; ++i) {
            slope += changes[i].slope;
            done += changes[i].ended;
            active += changes[i].rows;
            running -= double(changes[i].ended) / 100.0;
        }
        if (active == 0)
            running = slope = 0; // nothing accrues: the sum is the rows', to the kopeck
        points.emplace_back(qreal(day), double(done) / 100.0 + running);
    }
    return points;
}

std::vector<QPointF> PenaltyChart::rateSteps(const KeyRateHistory &history, const QDate &first, const QDate &last)
{
    std::vector<QPointF> points;
    if (history.steps.empty() || !first.isValid() || !last.isValid())
        return points;
    const QDate from = std::max(first, history.steps.front().from);
    const QDate to = history.knownUntil.isValid() ? std::min(last, history.knownUntil) : last;
    if (from > to)
        return points;
    // The rate in force on `from`, then each step after it up to `to`.
    const std::vector<KeyRateStep> &steps = history.steps;
    double rate = steps.front().rate;
    std::size_t i = 0;
    for (; i < steps.size() && steps[i].from <= from; ++i)
        rate = steps[i].rate;
    points.emplace_back(qreal(from.toJulianDay()), rate);
    for (; i < steps.size() && steps[i].from <= to; ++i) {
        points.emplace_back(qreal(steps[i].from.toJulianDay()), rate); // the riser
        rate = steps[i].rate;
        points.emplace_back(qreal(steps[i].from.toJulianDay()), rate);
    }
    points.emplace_back(qreal(to.toJulianDay() + 1), rate);
    return points;
}

void PenaltyChart::clear()
{
    removeSeries(m_accrued);
    removeSeries(m_rate);
    m_accrued->clear();
    m_rate->clear();
    const qint64 today = QDate::currentDate().toJulianDay();
    setRanges(today, today + 1, 1, 1);
    attach();
    // Nothing to show: no axes of made-up figures, no legend of empty lines.
    setShown(false);
}

void PenaltyChart::setShown(bool shown)
{
    for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(m_dates), static_cast<QAbstractAxis *>(m_money),
                                static_cast<QAbstractAxis *>(m_rateAxis)})
        axis->setVisible(shown);
    legend()->setVisible(shown);
}

void PenaltyChart::setReport(const PenaltyReport &report, const QLocale &locale)
{
    if (report.result.rows.empty()) {
        clear();
        return;
    }
    m_history = report.keyRate;
    m_kind = report.terms.kind;
    m_locale = locale;
    setLocale(locale);
    const std::vector<QPointF> accrued = accruedByDay(report.result);
    const qint64 first = qint64(accrued.front().x());
    const qint64 end = report.terms.until.toJulianDay() + 1;
    const std::vector<QPointF> rate = rateSteps(report.keyRate, QDate::fromJulianDay(first), report.terms.until);
    qreal topRate = 1;
    for (const QPointF &p : rate)
        topRate = std::max(topRate, p.y());
    // Every change to a series on the chart lays it out again, so the series
    // are taken off, changed and put back: one layout per update.
    removeSeries(m_accrued);
    removeSeries(m_rate);
    m_accrued->replace(onDateAxis(accrued));
    m_rate->replace(onDateAxis(rate));
    m_accrued->setName(penaltyWord(m_kind) + QStringLiteral(" нарастающим итогом, ₽"));
    m_money->setTitleText(penaltyWord(m_kind) + QStringLiteral(", ₽"));
    setRanges(first, end, std::max<qreal>(accrued.back().y(), 1), topRate);
    attach();
    setShown(true);
}

void PenaltyChart::setRanges(qint64 firstDay, qint64 endDay, qreal topMoney, qreal topRate)
{
    m_dates->setFormat(endDay - firstDay > 2 * 366 ? QStringLiteral("MM.yyyy") : QStringLiteral("dd.MM.yyyy"));
    m_dates->setRange(QDate::fromJulianDay(firstDay).startOfDay(), QDate::fromJulianDay(endDay).startOfDay());
    m_money->setRange(0, topMoney);
    m_money->applyNiceNumbers();
    m_rateAxis->setRange(0, topRate);
    m_rateAxis->applyNiceNumbers();
}

void PenaltyChart::attach()
{
    addSeries(m_rate);
    addSeries(m_accrued);
    const auto on = [](QAbstractSeries *series, QAbstractAxis *axis) {
        if (!series->attachedAxes().contains(axis))
            series->attachAxis(axis);
    };
    on(m_accrued, m_dates);
    on(m_accrued, m_money);
    on(m_rate, m_dates);
    on(m_rate, m_rateAxis);
}

QString PenaltyChart::tip(const QPointF &point) const
{
    // The point is where the line was touched: the morning of that day, so
    // the day before is the last one counted in the figure.
    const QDate day = dayOf(point.x());
    QStringList lines{QStringLiteral("По %1").arg(day.addDays(-1).toString(QStringLiteral("dd.MM.yyyy"))),
                      penaltyWord(m_kind) + QStringLiteral(": ")
                          + moneyText(std::int64_t(std::llround(point.y() * 100)), m_locale)};
    if (!keyRateGap(m_history, day.addDays(-1)))
        lines << QStringLiteral("Ключевая ставка: ") + m_locale.toString(keyRateOn(m_history, day.addDays(-1)), 'f', 2)
                     + QStringLiteral(" %");
    return lines.join(QLatin1Char('\n'));
}

void PenaltyChart::render(const PenaltyReport &report, const QLocale &locale, QPainter &painter, const QRectF &target)
{
    renderChart<PenaltyChart>(painter, target, [&](PenaltyChart &chart) { chart.setReport(report, locale); });
}

} // namespace orvel
