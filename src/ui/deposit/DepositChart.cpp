#include "ui/deposit/DepositChart.h"

#include "calc/ScheduleReport.h"
#include "ui/Charts.h"

#include <QAreaSeries>
#include <QCursor>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace orvel {

namespace {

qreal timeOf(const QDate &day) { return qreal(day.startOfDay().toMSecsSinceEpoch()); }

// What the chart draws: the balance and what was put in (cut to 0 ..
// balance, as a withdrawal of earned interest takes it below zero) before
// and after each event, and the credits.
struct Points {
    QList<QPointF> putIn, balance, credits;
    qreal top = 0;
};

void addPoint(Points &p, const QDate &day, std::int64_t putIn, std::int64_t balance)
{
    const qreal x = timeOf(day);
    p.balance << QPointF(x, chartRoubles(balance));
    p.putIn << QPointF(x, chartRoubles(std::clamp<std::int64_t>(putIn, 0, std::max<std::int64_t>(balance, 0))));
    p.top = std::max(p.top, chartRoubles(balance));
}

// Every row's step while there are few; else the end of every k-th row
// (a slope over k rows) and a full step at each flow.
Points chartPoints(const QDate &opened, std::int64_t amount, const std::vector<DepositRow> &rows)
{
    Points p;
    const std::size_t n = rows.size();
    const std::size_t every = std::max<std::size_t>(1, n / std::size_t(DepositChart::kMostPoints / 2));
    std::size_t credits = 0;
    for (const DepositRow &r : rows)
        credits += (r.capitalized != 0 || r.paidOut != 0) ? 1 : 0;
    const bool markCredits = credits <= std::size_t(DepositChart::kMostCreditPoints);
    std::int64_t putIn = amount;
    addPoint(p, opened, putIn, amount);
    for (std::size_t i = 0; i < n; ++i) {
        const DepositRow &r = rows[i];
        const bool last = i + 1 == n;
        if (every == 1 || r.flow != 0)
            addPoint(p, r.to, putIn, r.balance);
        putIn += r.flow;
        if (every == 1 || r.flow != 0 || last || i % every == every - 1)
            addPoint(p, r.to, putIn, r.balanceAfter);
        if (markCredits && (r.capitalized != 0 || r.paidOut != 0))
            p.credits << QPointF(timeOf(r.to), chartRoubles(r.balanceAfter));
    }
    return p;
}

} // namespace

DepositChart::DepositChart(QGraphicsItem *parent) : QChart(parent)
{
    setUpChart(*this);

    m_putIn = new QLineSeries(this);
    m_balance = new QLineSeries(this);
    m_putInArea = new QAreaSeries(m_putIn);
    m_putInArea->setName(QStringLiteral("Внесено"));
    m_interestArea = new QAreaSeries(m_balance, m_putIn);
    m_interestArea->setName(QStringLiteral("Проценты в остатке"));
    for (auto [area, color] : {std::pair{m_putInArea, kChartMainColor}, std::pair{m_interestArea, kChartInterestColor}}) {
        area->setColor(color);
        area->setBorderColor(color.darker(115));
    }
    m_credits = new QScatterSeries;
    m_credits->setName(QStringLiteral("Начисление процентов"));
    m_credits->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    m_credits->setMarkerSize(7);
    m_credits->setColor(kChartLineColor);
    m_credits->setBorderColor(Qt::white);

    m_dates = new QDateTimeAxis;
    m_dates->setTitleText(QStringLiteral("Дата"));
    m_money = new QValueAxis;
    m_money->setLabelFormat(QStringLiteral("%.0f"));
    m_money->setTitleText(QStringLiteral("Остаток, ₽"));
    addAxis(m_dates, Qt::AlignBottom);
    addAxis(m_money, Qt::AlignLeft);
    attach();

    const auto tip = [this](const QPointF &point, bool on) {
        if (on)
            showTip(point);
        else
            QToolTip::hideText();
    };
    connect(m_interestArea, &QAreaSeries::hovered, this, tip);
    connect(m_putInArea, &QAreaSeries::hovered, this, tip);
    connect(m_credits, &QScatterSeries::hovered, this, tip);
}

void DepositChart::setSchedule(const DepositTerms &terms, const DepositResult &result, const QLocale &locale)
{
    m_rows = result.rows;
    m_opened = terms.opened;
    m_amount = terms.amount;
    m_locale = locale;
    setLocale(locale);
    const Points p = m_rows.empty() ? Points{} : chartPoints(terms.opened, terms.amount, m_rows);
    // A change to a series on the chart lays it out again: the series are
    // taken off, changed and put back, one layout per update.
    removeSeries(m_credits);
    removeSeries(m_interestArea);
    removeSeries(m_putInArea);
    m_putIn->replace(p.putIn);
    m_balance->replace(p.balance);
    m_credits->replace(p.credits);
    if (!m_rows.empty()) {
        m_dates->setRange(terms.opened.startOfDay(), m_rows.back().to.startOfDay());
        const int months = int(terms.opened.daysTo(m_rows.back().to) / 30);
        m_dates->setFormat(months > 36 ? QStringLiteral("yyyy") : QStringLiteral("MM.yyyy"));
        m_dates->setTickCount(std::clamp(months > 36 ? months / 12 + 1 : months / 3 + 1, 3, 9));
    }
    m_money->setTickCount(6);
    m_money->setRange(0, p.top > 0 ? p.top * 1.05 : 1);
    m_money->applyNiceNumbers();
    attach();
    // Daily credits show as the slope of the area, not as points.
    for (QLegendMarker *marker : legend()->markers(m_credits))
        marker->setVisible(!p.credits.isEmpty());
}

void DepositChart::attach()
{
    addSeries(m_putInArea);
    addSeries(m_interestArea);
    addSeries(m_credits);
    for (QAbstractSeries *series : std::initializer_list<QAbstractSeries *>{m_putInArea, m_interestArea, m_credits})
        for (QAbstractAxis *axis : std::initializer_list<QAbstractAxis *>{m_dates, m_money})
            if (!series->attachedAxes().contains(axis))
                series->attachAxis(axis);
}

QString DepositChart::dayTip(const QDate &day) const
{
    if (m_rows.empty() || !day.isValid() || day < m_opened || day > m_rows.back().to)
        return QString();
    // The row whose days hold the day (the opening day shows the first).
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), day,
                                     [](const DepositRow &r, const QDate &d) { return r.to < d; });
    std::int64_t putIn = m_amount;
    for (auto r = m_rows.begin(); r != it; ++r)
        putIn += r->flow;
    const DepositRow &r = *it;
    const bool event = r.to == day;
    const std::int64_t balance = event ? r.balanceAfter : r.balance;
    if (event)
        putIn += r.flow;
    QStringList lines{day.toString(QStringLiteral("dd.MM.yyyy")),
                      QStringLiteral("Остаток: ") + moneyText(balance, m_locale),
                      QStringLiteral("Внесено: ") + moneyText(putIn, m_locale)};
    if (event && r.capitalized != 0)
        lines << QStringLiteral("Капитализировано: ") + moneyText(r.capitalized, m_locale);
    if (event && r.paidOut != 0)
        lines << QStringLiteral("Выплачено: ") + moneyText(r.paidOut, m_locale);
    // The day's top-ups and withdrawals together, as the table's column.
    if (event && r.flow != 0)
        lines << QStringLiteral("Пополнение/снятие: ") + moneyText(r.flow, m_locale);
    return lines.join(QLatin1Char('\n'));
}

void DepositChart::showTip(const QPointF &point)
{
    const QDate day = QDateTime::fromMSecsSinceEpoch(qint64(point.x())).date();
    const QString tip = dayTip(day);
    if (!tip.isEmpty())
        QToolTip::showText(QCursor::pos(), tip);
}

void DepositChart::render(const DepositTerms &terms, const DepositResult &result, const QLocale &locale,
                          QPainter &painter, const QRectF &target)
{
    renderChart<DepositChart>(painter, target,
                              [&](DepositChart &chart) { chart.setSchedule(terms, result, locale); });
}

} // namespace orvel
