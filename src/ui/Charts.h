#pragma once
// What the windows' charts share: their look, their palette, and drawing a
// chart onto a printed or PDF page.
#include <QChart>
#include <QColor>
#include <QGraphicsScene>
#include <QRectF>

#include <cstdint>

class QPainter;

namespace orvel {

// The palette: money lent or put in (and the key rate), interest, and the
// dark line or points drawn over them.
inline const QColor kChartMainColor(70, 120, 180);
inline const QColor kChartInterestColor(232, 144, 58);
inline const QColor kChartLineColor(40, 52, 66);

// Kopecks as the roubles a chart plots.
inline double chartRoubles(std::int64_t kopecks) { return double(kopecks) / 100.0; }

// The look of every chart: no animation, numbers in the locale's way, the
// legend at the bottom, narrow margins.
void setUpChart(QChart &chart);

// Lays `chart`, in `scene` and filled, out at the target's size in the
// painter's units, so the labels have the size they have on screen relative
// to it, and draws it there.
void renderChartScene(QGraphicsScene &scene, QChart &chart, QPainter &painter, const QRectF &target);

// A chart of its own made for a page: `fill` gives it its figures once it
// stands in a scene; then it is drawn onto the painter at the target.
template <typename Chart, typename Fill>
void renderChart(QPainter &painter, const QRectF &target, Fill &&fill)
{
    QGraphicsScene scene;
    auto *chart = new Chart;
    scene.addItem(chart);
    fill(*chart);
    renderChartScene(scene, *chart, painter, target);
}

} // namespace orvel
