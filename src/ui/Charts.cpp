#include "ui/Charts.h"

#include <QLegend>
#include <QPaintDevice>
#include <QPainter>

namespace orvel {

void setUpChart(QChart &chart)
{
    chart.setAnimationOptions(QChart::NoAnimation);
    chart.setLocalizeNumbers(true);
    chart.legend()->setAlignment(Qt::AlignBottom);
    chart.setMargins(QMargins(4, 4, 4, 4));
}

void renderChartScene(QGraphicsScene &scene, QChart &chart, QPainter &painter, const QRectF &target)
{
    const qreal scale = painter.device() ? painter.device()->logicalDpiX() / 96.0 : 1.0;
    const QSizeF size(target.width() / scale, target.height() / scale);
    chart.resize(size);
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    scene.render(&painter, target, scene.sceneRect());
}

} // namespace orvel
