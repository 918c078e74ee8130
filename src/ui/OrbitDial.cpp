#include "ui/OrbitDial.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QVariantMap>

#include "ui/ChartMath.h"

OrbitDial::OrbitDial(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void OrbitDial::setBodies(const QVariantList& bodies)
{
    if (bodies == bodies_)
        return;
    bodies_ = bodies;
    emit bodiesChanged();
    update();
}

void OrbitDial::paint(QPainter* painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const int count = int(bodies_.size());
    const double gap = std::min(width(), height()) * 0.13;
    const double margin = 6;
    for (int i = 0; i < count; ++i) {
        const QVariantMap body = bodies_[i].toMap();
        const double fraction = std::clamp(body.value("fraction").toDouble(), 0.0, 1.0);
        const QColor color = body.value("color").value<QColor>();
        const QRectF ring = ChartMath::orbitRect(i, count, size(), gap, margin);
        QColor faint = color;
        faint.setAlphaF(0.16);
        painter->setPen(QPen(faint, 4));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(ring);
        // the lit share, clockwise from the top (Qt angles run counter-clockwise from three o'clock)
        painter->setPen(QPen(color, 4, Qt::SolidLine, Qt::RoundCap));
        painter->drawArc(ring, 90 * 16, -int(std::lround(fraction * 360 * 16)));
        const QPointF dot = ChartMath::bodyPoint(ring, fraction);
        painter->setPen(Qt::NoPen);
        QColor halo = color;
        halo.setAlphaF(0.3);
        painter->setBrush(halo);
        painter->drawEllipse(dot, 7, 7);
        painter->setBrush(color);
        painter->drawEllipse(dot, 4, 4);
    }
    // the sun at the centre
    const QPointF centre(width() / 2, height() / 2);
    QRadialGradient sun(centre, gap * 0.9);
    sun.setColorAt(0, QColor(0xB4, 0xB7, 0xF7));
    sun.setColorAt(1, QColor(0x6E, 0x73, 0xE8, 0));
    painter->setBrush(sun);
    painter->drawEllipse(centre, gap * 0.9, gap * 0.9);
}
