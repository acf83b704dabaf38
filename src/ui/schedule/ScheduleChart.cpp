#include "ui/schedule/ScheduleChart.h"

#include "ui/Charts.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QCursor>
#include <QLegend>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace orvel {

QString scheduleMonthTip(const ScheduleRow &row, const QLocale &locale)
{
    QStringList lines{
        QStringLiteral("Месяц %1").arg(row.month),
        QStringLiteral("Платеж: ") + moneyText(row.payment, locale),
        QStringLiteral("Основной долг: ") + moneyText(row.principal, locale),
        QStringLiteral("Проценты: ") + moneyText(row.interest, locale),
    };
    if (row.early > 0)
        lines << QStringLiteral("Досрочно: ") + moneyText(row.early, locale);
    lines << QStringLiteral("Остаток долга: ") + moneyText(row.debtAfter, locale);
    return lines.join(QLatin1Char('\n'));
}

ScheduleChart::ScheduleChart(QGraphicsItem *parent) : QChart(parent)
{
    setUpChart(*this);

    // No outlines: at hundreds of months a column is two or three pixels wide
    // and a border would be all one sees of it.
    m_principal = new QBarSet(QStringLiteral("Основной долг"));
    m_interest = new QBarSet(QStringLiteral("Проценты"));
    for (auto [set, color] : {std::pair{m_principal, kChartMainColor}, std::pair{m_interest, kChartInterestColor}}) {
        set->setColor(color);
        set->setBorderColor(color);
        set->setPen(Qt::NoPen);
    }
    m_bars = new QStackedBarSeries;
    m_bars->append(m_principal);
    m_bars->append(m_interest);
    m_bars->setBarWidth(0.9);

    m_debt = new QLineSeries;
    m_debt->setName(QStringLiteral("Остаток долга (правая шкала)"));
    QPen pen(kChartLineColor);
    pen.setWidthF(2);
    m_debt->setPen(pen);

    m_months = new QCategoryAxis;
    m_months->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_months->setTitleText(QStringLiteral("Месяц"));
    m_money = new QValueAxis;
    m_money->setLabelFormat(QStringLiteral("%.0f"));
    m_money->setTickCount(5);
    m_money->setTitleText(QStringLiteral("Платеж, ₽"));
    m_debtAxis = new QValueAxis;
    m_debtAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_debtAxis->setTickCount(5);
    m_debtAxis->setTitleText(QStringLiteral("Остаток, ₽"));
    m_debtAxis->setGridLineVisible(false);
    addAxis(m_months, Qt::AlignBottom);
    addAxis(m_money, Qt::AlignLeft);
    addAxis(m_debtAxis, Qt::AlignRight);
    attach();

    connect(m_bars, &QStackedBarSeries::hovered, this, [this](bool on, int index, QBarSet *) {
        if (on)
            showTip(index);
        else
            QToolTip::hideText();
    });
    connect(m_debt, &QLineSeries::hovered, this, [this](const QPointF &point, bool on) {
        if (on)
            showTip(int(std::lround(point.x())));
        else
            QToolTip::hideText();
    });
}

int ScheduleChart::labelStep(int months)
{
    // At most a dozen labels, on round numbers of months or years.
    for (int step : {1, 2, 3, 6, 12, 24, 36, 60, 120})
        if (months <= 12 * step)
            return step;
    return 240;
}

void ScheduleChart::setSchedule(const LoanSchedule &schedule, const QLocale &locale)
{
    m_rows = schedule.rows;
    m_locale = locale;
    setLocale(locale);
    const int n = int(m_rows.size());

    QList<qreal> principal, interest;
    QList<QPointF> debt;
    principal.reserve(n);
    interest.reserve(n);
    debt.reserve(n);
    qreal top = 0;
    for (int i = 0; i < n; ++i) {
        const ScheduleRow &r = m_rows[std::size_t(i)];
        principal << chartRoubles(r.principal);
        interest << chartRoubles(r.interest);
        debt << QPointF(i, chartRoubles(r.debtAfter));
        top = std::max(top, chartRoubles(r.principal + r.interest));
    }
    // Every change to a series on the chart lays all its columns out again,
    // so the series are taken off, changed and put back (the columns first,
    // the line over them): one layout per update instead of one per change.
    removeSeries(m_debt);
    removeSeries(m_bars);
    m_principal->remove(0, m_principal->count());
    m_interest->remove(0, m_interest->count());
    m_principal->append(principal);
    m_interest->append(interest);
    m_debt->replace(debt);

    if (n != m_labelledMonths) {
        for (const QString &label : m_months->categoriesLabels())
            m_months->remove(label);
        m_months->setStartValue(-0.5);
        const int step = labelStep(n);
        if (n > 0 && step > 1)
            m_months->append(QStringLiteral("1"), 0);
        for (int month = step; month <= n; month += step)
            m_months->append(QString::number(month), month - 1);
        // The last month too, unless it would crowd the label before it.
        if (n > 0 && n % step != 0 && (n % step) * 2 >= step)
            m_months->append(QString::number(n), n - 1);
        m_months->setRange(-0.5, std::max(0, n) - 0.5);
        m_labelledMonths = n;
    }
    m_money->setRange(0, top > 0 ? top : 1);
    m_money->applyNiceNumbers();
    const qreal debtTop = n > 0 ? chartRoubles(m_rows.front().debtBefore) : 1;
    m_debtAxis->setRange(0, debtTop);
    m_debtAxis->applyNiceNumbers();
    attach();
}

void ScheduleChart::attach()
{
    addSeries(m_bars);
    addSeries(m_debt);
    const auto on = [](QAbstractSeries *series, QAbstractAxis *axis) {
        if (!series->attachedAxes().contains(axis))
            series->attachAxis(axis);
    };
    on(m_bars, m_months);
    on(m_bars, m_money);
    on(m_debt, m_months);
    on(m_debt, m_debtAxis);
}

QString ScheduleChart::monthTip(int index) const
{
    if (index < 0 || index >= int(m_rows.size()))
        return QString();
    return scheduleMonthTip(m_rows[std::size_t(index)], m_locale);
}

void ScheduleChart::showTip(int index)
{
    const QString tip = monthTip(index);
    if (!tip.isEmpty())
        QToolTip::showText(QCursor::pos(), tip);
}

void ScheduleChart::render(const LoanSchedule &schedule, const QLocale &locale, QPainter &painter, const QRectF &target)
{
    renderChart<ScheduleChart>(painter, target, [&](ScheduleChart &chart) { chart.setSchedule(schedule, locale); });
}

} // namespace orvel
