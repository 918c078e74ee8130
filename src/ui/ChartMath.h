#pragma once
// The geometry of the small charts, as pure functions: the sparkline's points
// and the orbit dial's rings and bodies.
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace ChartMath {

// The points of a sparkline of VALUES across SIZE, oldest at the left, with a
// margin of `inset` all round. The scale runs from 0 to `maximum`, or to the
// largest value when `maximum` is 0 or less (a flat zero line sits at the
// bottom). One value gives a level line; none gives no points.
std::vector<QPointF> sparklinePoints(const std::vector<double>& values, const QSizeF& size, double maximum,
                                     double inset = 1.5);

// The square of the ring of body INDEX (0 = outermost) among COUNT bodies in a
// dial of SIZE, rings `gap` apart with a margin for the body's dot.
QRectF orbitRect(int index, int count, const QSizeF& size, double gap, double margin);

// Where a body sits on its ring for a fraction 0..1: clockwise from the top.
// Fractions outside 0..1 are brought inside.
QPointF bodyPoint(const QRectF& ring, double fraction);

} // namespace ChartMath
