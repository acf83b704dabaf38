#pragma once
// A deposit's balance over its term as a chart: an area of what was put in
// (the amount, the top-ups, less the withdrawals) with the interest the
// balance holds stacked on it, the flows as steps, and a point at each
// credit of interest (while there are few enough to tell apart: daily
// capitalization shows as the slope of the area). Hovering shows the day's
// figures.
//
// Long schedules are thinned for drawing only: at most about kMostPoints
// points, and every flow keeps its step; the data stay whole.
#include "calc/DepositSchedule.h"

#include <QChart>
#include <QLocale>

class QAreaSeries;
class QDateTimeAxis;
class QLineSeries;
class QPainter;
class QScatterSeries;
class QValueAxis;

namespace orvel {

class DepositChart : public QChart {
    Q_OBJECT

public:
    static constexpr int kMostPoints = 500;
    static constexpr int kMostCreditPoints = 150;

    explicit DepositChart(QGraphicsItem *parent = nullptr);

    // Shows the schedule; an empty one leaves an empty chart.
    void setSchedule(const DepositTerms &terms, const DepositResult &result, const QLocale &locale = QLocale());

    // What the tooltip of a day says (empty outside the term).
    QString dayTip(const QDate &day) const;

    // Draws a chart of the schedule, laid out for the target's size, onto
    // a painter (a printed or PDF page).
    static void render(const DepositTerms &terms, const DepositResult &result, const QLocale &locale,
                       QPainter &painter, const QRectF &target);

    QLineSeries *putInLine() const { return m_putIn; }
    QLineSeries *balanceLine() const { return m_balance; }
    QScatterSeries *creditPoints() const { return m_credits; }
    QDateTimeAxis *dateAxis() const { return m_dates; }
    QValueAxis *moneyAxis() const { return m_money; }

private:
    void attach();
    void showTip(const QPointF &point);

    std::vector<DepositRow> m_rows;
    QDate m_opened;
    std::int64_t m_amount = 0;
    QLocale m_locale;
    QLineSeries *m_putIn = nullptr, *m_balance = nullptr, *m_zero = nullptr;
    QAreaSeries *m_putInArea = nullptr, *m_interestArea = nullptr;
    QScatterSeries *m_credits = nullptr;
    QDateTimeAxis *m_dates = nullptr;
    QValueAxis *m_money = nullptr;
};

} // namespace orvel
