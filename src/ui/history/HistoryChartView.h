#pragma once
// The history chart as the mouse and the keyboard use it: the readout
// follows the mouse, a drag zooms into a stretch of time, the wheel and +/-
// zoom around a day, the arrows move along, a double or right click (or
// Home) shows the whole period again. What each does is up to the window.
#include <QChartView>
#include <QDate>

#include <functional>

namespace orvel {

class HistoryChartView : public QChartView {
public:
    std::function<void(const QDate &)> hovered;
    std::function<void(double, const QDate &)> zoomed;
    std::function<void(int)> moved; // -1 back, +1 forward
    std::function<void()> reset;
    std::function<QDate()> centre;

    HistoryChartView(QChart *chart, QWidget *parent);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The day under a point of the view.
    QDate dayAt(const QPointF &position) const;
};

} // namespace orvel
