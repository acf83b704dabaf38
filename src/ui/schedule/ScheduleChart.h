#pragma once
// The payment schedule as a chart: a column per month, principal and
// interest stacked, and the debt left after each month as a line on an axis
// of its own at the right. Months are labelled at a step that keeps the axis
// readable (every 12, 24, 60 ... months on long terms). Hovering a column or
// the line shows the month's figures.
#include "calc/ScheduleReport.h"

#include <QChart>
#include <QLocale>

class QBarSet;
class QCategoryAxis;
class QLineSeries;
class QPainter;
class QStackedBarSeries;
class QValueAxis;

namespace orvel {

class ScheduleChart : public QChart {
    Q_OBJECT

public:
    explicit ScheduleChart(QGraphicsItem *parent = nullptr);

    // Shows the schedule's months; an empty schedule leaves an empty chart.
    void setSchedule(const LoanSchedule &schedule, const QLocale &locale = QLocale());

    // What the tooltip of a month (0 for the first) says.
    QString monthTip(int index) const;
    // The month label step of the axis for a term.
    static int labelStep(int months);

    // Draws a chart of the schedule, laid out for the target's size, onto a
    // painter (a printed or PDF page).
    static void render(const LoanSchedule &schedule, const QLocale &locale, QPainter &painter, const QRectF &target);

    QStackedBarSeries *bars() const { return m_bars; }
    QLineSeries *debtLine() const { return m_debt; }
    QCategoryAxis *monthAxis() const { return m_months; }

private:
    void attach(); // the series on the chart, on their axes
    void showTip(int index);

    std::vector<ScheduleRow> m_rows;
    QLocale m_locale;
    QBarSet *m_principal = nullptr;
    QBarSet *m_interest = nullptr;
    QStackedBarSeries *m_bars = nullptr;
    QLineSeries *m_debt = nullptr;
    QCategoryAxis *m_months = nullptr;
    QValueAxis *m_money = nullptr;
    QValueAxis *m_debtAxis = nullptr;
    int m_labelledMonths = -1; // the term the month labels were made for
};

// "Месяц 12" and the month's payment, principal, interest, early repayment
// and debt left, a line each.
QString scheduleMonthTip(const ScheduleRow &row, const QLocale &locale = QLocale());

} // namespace orvel
