#include "ui/RadialGlow.h"

#include <algorithm>

#include <QPainter>
#include <QRadialGradient>

RadialGlow::RadialGlow(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
    connect(this, &RadialGlow::changed, this, [this] { update(); });
}

void RadialGlow::paint(QPainter* painter)
{
    if (radius_ <= 0)
        return;
    const QPointF centre(centerX_ * width(), centerY_ * height());
    QRadialGradient gradient(centre, radius_);
    QColor inner = color_;
    inner.setAlphaF(std::clamp(strength_, 0.0, 1.0));
    QColor outer = color_;
    outer.setAlphaF(0);
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    painter->fillRect(boundingRect(), gradient);
}
