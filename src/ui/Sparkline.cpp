#include "ui/Sparkline.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/ChartMath.h"

Sparkline::Sparkline(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void Sparkline::setValues(const QList<qreal>& values)
{
    if (values == values_)
        return;
    values_ = values;
    emit valuesChanged();
    update();
}

void Sparkline::setColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    emit colorChanged();
    update();
}

void Sparkline::setMaximum(double maximum)
{
    if (maximum == maximum_)
        return;
    maximum_ = maximum;
    emit maximumChanged();
    update();
}

void Sparkline::paint(QPainter* painter)
{
    const std::vector<double> values(values_.begin(), values_.end());
    const std::vector<QPointF> points = ChartMath::sparklinePoints(values, size(), maximum_);
    if (points.size() < 2)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    line.moveTo(points.front());
    for (std::size_t i = 1; i < points.size(); ++i)
        line.lineTo(points[i]);
    QPainterPath area = line;
    area.lineTo(points.back().x(), height());
    area.lineTo(points.front().x(), height());
    area.closeSubpath();
    QLinearGradient fill(0, 0, 0, height());
    QColor top = color_;
    top.setAlphaF(0.28);
    QColor bottom = color_;
    bottom.setAlphaF(0.0);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter->fillPath(area, fill);
    painter->setPen(QPen(color_, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->drawPath(line);
}
