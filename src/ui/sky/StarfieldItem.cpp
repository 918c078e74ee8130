#include "ui/sky/StarfieldItem.h"

#include <utility>

#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QRandomGenerator>

Starfield::Starfield(QQuickItem* parent)
    : QQuickPaintedItem(parent)
    , stars_(SkyMath::makeStars(*QRandomGenerator::global()))
{
    setAntialiasing(true);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
    frames_.setPace(SkyMath::starfieldFrameMs);
}

void Starfield::setBrightness(double brightness)
{
    if (brightness_ == brightness)
        return;
    brightness_ = brightness;
    emit brightnessChanged();
    update();
}

void Starfield::setStars(std::vector<SkyMath::StarPoint> stars)
{
    stars_ = std::move(stars);
    update();
}

void Starfield::paint(QPainter* painter)
{
    paintAt(painter, SkyFrames::now());
}

void Starfield::paintAt(QPainter* painter, double t) const
{
    const double w = width();
    const double h = height();
    if (w <= 0 || h <= 0)
        return;

    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    QColor white(Qt::white);
    for (const SkyMath::StarPoint& star : stars_) {
        white.setAlphaF(static_cast<float>(SkyMath::starOpacity(star, t, brightness_)));
        painter->setBrush(white);
        painter->drawEllipse(SkyMath::starCentre(star, w, h), star.r, star.r);
    }

    const auto shooting = SkyMath::shootingStar(t, w, h, brightness_);
    if (!shooting)
        return;
    QLinearGradient fade(shooting->tail, shooting->head);
    fade.setColorAt(0.0, QColor(255, 255, 255, 0));
    QColor head(Qt::white);
    head.setAlphaF(static_cast<float>(shooting->headOpacity));
    fade.setColorAt(1.0, head);
    QPen pen(QBrush(fade), 1.3);
    pen.setCapStyle(Qt::RoundCap);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawLine(shooting->tail, shooting->head);
}

void Starfield::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickPaintedItem::itemChange(change, value);
    if (change == ItemSceneChange)
        frames_.refresh(value.window, true);
    else if (change == ItemVisibleHasChanged)
        frames_.refresh(window(), true);
}

void Starfield::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    frames_.refresh(window(), true);
}
