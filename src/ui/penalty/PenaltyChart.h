#pragma once
// The penalties over time: what has accrued by each day as a line, and the
// key rate as steps on an axis of its own at the right, over the days from
// the first day of delay to the last day counted. Hovering the line shows
// the day, what has accrued by it and the rate.
#include "ui/penalty/PenaltyReport.h"

#include <QChart>
#include <QLocale>
#include <QPointF>

#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QPainter;
class QValueAxis;

namespace orvel {

class PenaltyChart : public QChart {
    Q_OBJECT

public:
    explicit PenaltyChart(QGraphicsItem *parent = nullptr);

    // Shows the report; one without rows leaves an empty chart.
    void setReport(const PenaltyReport &report, const QLocale &locale = QLocale());
    void clear();

    // What the tooltip at a point of the accrued line says.
    QString tip(const QPointF &point) const;

    // Draws a chart of the report, laid out for the target's size, onto a
    // painter (a printed or PDF page).
    static void render(const PenaltyReport &report, const QLocale &locale, QPainter &painter, const QRectF &target);

    // The accrued total at the end of each day a row starts or ends: x is
    // the Julian day of the next morning, y roubles. A row accrues evenly
    // over its days, so the line between two points is exact, and after a
    // row's last day the sum is that of the rows so far, to the kopeck.
    static std::vector<QPointF> accruedByDay(const PenaltyResult &result);
    // The key rate in force from `first` to `last` as steps: x the Julian
    // day a rate starts (and last + 1 at the end), y percent; the days the
    // history does not cover are left out.
    static std::vector<QPointF> rateSteps(const KeyRateHistory &history, const QDate &first, const QDate &last);

    QLineSeries *accruedLine() const { return m_accrued; }
    QLineSeries *rateLine() const { return m_rate; }
    QDateTimeAxis *dateAxis() const { return m_dates; }

private:
    void attach();
    void setShown(bool shown); // the axes and the legend
    void setRanges(qint64 firstDay, qint64 endDay, qreal topMoney, qreal topRate);

    KeyRateHistory m_history;
    PenaltyKind m_kind = PenaltyKind::TaxPerson;
    QLocale m_locale;
    QLineSeries *m_accrued = nullptr;
    QLineSeries *m_rate = nullptr;
    QDateTimeAxis *m_dates = nullptr;
    QValueAxis *m_money = nullptr;
    QValueAxis *m_rateAxis = nullptr;
};

} // namespace orvel
