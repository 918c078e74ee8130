#include "ui/sky/StarfieldItem.h"

#include <cmath>
#include <utility>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QQuickWindow>
#include <QRandomGenerator>
#include <QSGImageNode>
#include <QSGOpacityNode>
#include <QSGTexture>

namespace {

// A star drawn white and opaque in its square (the twinkle is the opacity on
// top), at SCALE pixels per point.
QImage starImage(const SkyMath::StarPoint& star, const QRectF& tile, double width, double height, double scale)
{
    QImage image(QSize(int(std::ceil(tile.width() * scale)), int(std::ceil(tile.height() * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.scale(scale, scale);
    painter.drawEllipse(SkyMath::starCentre(star, width, height) - tile.topLeft(), star.r, star.r);
    return image;
}

// Stars twinkle over seconds: their opacities change at the slow pace even
// while a shooting star asks for frames more often.
constexpr double kStarStep = SkyMath::slowFrameMs / 1000.0 * 0.9;

} // namespace

// ---- the shooting star ----------------------------------------------------------

ShootingStarItem::ShootingStarItem(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setAcceptedMouseButtons(Qt::NoButton);
    setVisible(false);
}

void ShootingStarItem::show(const std::optional<SkyMath::ShootingStar>& star)
{
    if (!star) {
        setVisible(false);
        return;
    }
    star_ = *star;
    const QRectF area = SkyMath::shootingBounds(star_);
    setPosition(area.topLeft());
    setSize(area.size());
    setVisible(true);
    update();
}

void ShootingStarItem::paint(QPainter* painter)
{
    const QPointF origin = position();
    const QPointF tail = star_.tail - origin;
    const QPointF head = star_.head - origin;
    QLinearGradient fade(tail, head);
    fade.setColorAt(0.0, QColor(255, 255, 255, 0));
    QColor bright(Qt::white);
    bright.setAlphaF(static_cast<float>(star_.headOpacity));
    fade.setColorAt(1.0, bright);
    QPen pen(QBrush(fade), 1.3);
    pen.setCapStyle(Qt::RoundCap);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(pen);
    painter->drawLine(tail, head);
}

// ---- the star field -------------------------------------------------------------

Starfield::Starfield(QQuickItem* parent)
    : QQuickItem(parent)
    , stars_(SkyMath::makeStars(*QRandomGenerator::global()))
    , shooting_(new ShootingStarItem(this))
{
    setFlag(ItemHasContents, true);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
    frames_.setPace([this](double) { return SkyMath::starfieldFrameMs(clock_()); });
    frames_.setOnFrame([this] { frame(); });
}

void Starfield::setBrightness(double brightness)
{
    if (brightness_ == brightness)
        return;
    brightness_ = brightness;
    emit brightnessChanged();
    starsAt_ = -1e9;
    update();
}

void Starfield::setStars(std::vector<SkyMath::StarPoint> stars)
{
    stars_ = std::move(stars);
    rebuild_ = true;
    update();
}

void Starfield::setClock(std::function<double()> clock)
{
    clock_ = std::move(clock);
    starsAt_ = -1e9;
    frame();
}

void Starfield::frame()
{
    const double t = clock_();
    shooting_->show(SkyMath::shootingStar(t, width(), height(), brightness_));
    if (std::abs(t - starsAt_) >= kStarStep)
        update();  // new opacities, set in updatePaintNode
}

QSGNode* Starfield::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    const double w = width();
    const double h = height();
    if (w <= 0 || h <= 0 || !window()) {
        delete old;
        rebuild_ = true;
        return nullptr;
    }
    QSGNode* root = old ? old : new QSGNode;
    const double scale = window()->effectiveDevicePixelRatio();
    if (rebuild_ || root->childCount() != int(stars_.size())) {
        while (QSGNode* child = root->firstChild()) {
            root->removeChildNode(child);
            delete child;  // with its image node and texture
        }
        for (const SkyMath::StarPoint& star : stars_) {
            const QRectF tile = SkyMath::starTile(star, w, h);
            auto* opacity = new QSGOpacityNode;
            QSGImageNode* image = window()->createImageNode();
            image->setTexture(window()->createTextureFromImage(starImage(star, tile, w, h, scale),
                                                               QQuickWindow::TextureCanUseAtlas));
            image->setOwnsTexture(true);
            image->setFiltering(QSGTexture::Linear);
            image->setRect(tile);
            opacity->appendChildNode(image);
            root->appendChildNode(opacity);
        }
        rebuild_ = false;
    }
    // The twinkle: only the opacities change, each star's own small square.
    const double t = clock_();
    starsAt_ = t;
    QSGNode* child = root->firstChild();
    for (const SkyMath::StarPoint& star : stars_) {
        auto* opacity = static_cast<QSGOpacityNode*>(child);
        const double next = SkyMath::starOpacity(star, t, brightness_);
        if (SkyMath::showsNewOpacity(opacity->opacity(), next))
            opacity->setOpacity(next);
        child = child->nextSibling();
    }
    return root;
}

void Starfield::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange) {
        rebuild_ = true;
        frames_.refresh(value.window, true);
        if (value.window)
            update();
    } else if (change == ItemVisibleHasChanged) {
        frames_.refresh(window(), true);
    } else if (change == ItemDevicePixelRatioHasChanged) {
        rebuild_ = true;
        update();
    }
}

void Starfield::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        rebuild_ = true;
        update();
    }
    frames_.refresh(window(), true);
}
