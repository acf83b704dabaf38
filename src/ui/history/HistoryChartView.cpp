#include "ui/history/HistoryChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

namespace orvel {

HistoryChartView::HistoryChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setMouseTracking(true);
    setRubberBand(QChartView::HorizontalRubberBand);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing);
}

QDate HistoryChartView::dayAt(const QPointF &position) const
{
    const QPointF at = chart()->mapFromScene(mapToScene(position.toPoint()));
    const qreal t = chart()->mapToValue(at, chart()->series().constFirst()).x();
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(t))).date();
}

void HistoryChartView::mouseMoveEvent(QMouseEvent *event)
{
    QChartView::mouseMoveEvent(event);
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (hovered && chart()->plotArea().contains(at) && !chart()->series().isEmpty())
        hovered(dayAt(event->position()));
}

void HistoryChartView::mouseReleaseEvent(QMouseEvent *event)
{
    // A right click shows the whole period instead of zooming out one step.
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (reset)
            reset();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void HistoryChartView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (reset)
        reset();
}

void HistoryChartView::wheelEvent(QWheelEvent *event)
{
    if (!zoomed || chart()->series().isEmpty() || event->angleDelta().y() == 0)
        return QChartView::wheelEvent(event);
    event->accept();
    zoomed(event->angleDelta().y() > 0 ? 0.8 : 1.25, dayAt(event->position()));
}

void HistoryChartView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (zoomed && centre)
            zoomed(0.5, centre());
        break;
    case Qt::Key_Minus:
        if (zoomed && centre)
            zoomed(2.0, centre());
        break;
    case Qt::Key_Left:
        if (moved)
            moved(-1);
        break;
    case Qt::Key_Right:
        if (moved)
            moved(1);
        break;
    case Qt::Key_Home:
    case Qt::Key_0:
        if (reset)
            reset();
        break;
    default:
        return QChartView::keyPressEvent(event);
    }
    event->accept();
}

} // namespace orvel
