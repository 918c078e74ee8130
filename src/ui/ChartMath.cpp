#include "ui/ChartMath.h"

#include <algorithm>
#include <cmath>

namespace ChartMath {

std::vector<QPointF> sparklinePoints(const std::vector<double>& values, const QSizeF& size, double maximum,
                                     double inset)
{
    std::vector<QPointF> points;
    if (values.empty() || size.width() <= 2 * inset || size.height() <= 2 * inset)
        return points;
    double top = maximum;
    if (top <= 0)
        for (double v : values)
            top = std::max(top, std::isfinite(v) ? v : 0.0);
    const double w = size.width() - 2 * inset;
    const double h = size.height() - 2 * inset;
    const std::size_t n = values.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double v = std::isfinite(values[i]) ? values[i] : 0.0;
        const double level = top > 0 ? std::clamp(v / top, 0.0, 1.0) : 0.0;
        const double x = n == 1 ? inset + w : inset + w * static_cast<double>(i) / static_cast<double>(n - 1);
        points.emplace_back(x, inset + h * (1.0 - level));
    }
    if (n == 1)
        points.insert(points.begin(), QPointF(inset, points.front().y()));
    return points;
}

QRectF orbitRect(int index, int count, const QSizeF& size, double gap, double margin)
{
    const double side = std::min(size.width(), size.height());
    const double outer = side / 2 - margin;
    const double radius = std::max(1.0, outer - gap * std::clamp(index, 0, std::max(0, count - 1)));
    const QPointF centre(size.width() / 2, size.height() / 2);
    return QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
}

QPointF bodyPoint(const QRectF& ring, double fraction)
{
    const double f = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    const double angle = f * 2 * M_PI;  // from the top, clockwise on screen
    const double r = ring.width() / 2;
    return QPointF(ring.center().x() + r * std::sin(angle), ring.center().y() - r * std::cos(angle));
}

} // namespace ChartMath
