#include "ui/sky/NebulaItem.h"

#include <cmath>

#include <QPainter>
#include <QRadialGradient>

namespace {

// White at each stop's alpha: the shape of the mask, applied with DestinationIn.
QRadialGradient maskGradient()
{
    QRadialGradient gradient(QPointF(0, 0), 1.0);
    for (const SkyMath::RampStop& stop : SkyMath::nebulaMaskRamp()) {
        QColor white(Qt::white);
        white.setAlphaF(static_cast<float>(stop.alpha));
        gradient.setColorAt(stop.position, white);
    }
    return gradient;
}

} // namespace

NebulaLayer::NebulaLayer(Nebula* owner)
    : QQuickPaintedItem(owner), owner_(owner)
{
    setAntialiasing(true);
    setAcceptedMouseButtons(Qt::NoButton);
}

void NebulaLayer::paint(QPainter* painter)
{
    painter->translate(-position());  // the owner draws in its own coordinates
    owner_->paintAt(painter, SkyFrames::now());
}

Nebula::Nebula(QQuickItem* parent)
    : QQuickItem(parent), layer_(new NebulaLayer(this))
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
    frames_.setPace([](double) { return SkyMath::nebulaFrameMs; });
    frames_.setOnFrame([this] { layer_->update(); });
}

QRectF Nebula::layerRect() const
{
    return QRectF(layer_->position(), layer_->size());
}

void Nebula::placeLayer()
{
    // The visible middle on whole points, with one more for a buffer that starts between two.
    const QRect area = SkyMath::nebulaVisibleRect(width(), height()).toAlignedRect().adjusted(-1, -1, 1, 1);
    layer_->setPosition(area.topLeft());
    layer_->setSize(area.size());
}

void Nebula::setDensity(double density)
{
    if (density_ == density || (std::isnan(density_) && std::isnan(density)))
        return;
    density_ = density;
    emit densityChanged();
    refreshFrames(window());
    layer_->update();
}

void Nebula::paintAt(QPainter* painter, double t)
{
    const auto strength = SkyMath::nebulaStrength(density_);
    const double w = width();
    const double h = height();
    if (!strength || w <= 0 || h <= 0)
        return;
    const double s = *strength;

    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    if (QSizeF(w, h) != preparedSize_ || ratio != preparedRatio_)
        prepareForSize(QSizeF(w, h), ratio);

    buffer_.fill(Qt::transparent);
    QPainter canvas(&buffer_);
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(Qt::NoPen);
    canvas.translate(-bufferOrigin_);  // draw in item coordinates

    // The clouds. A blur is drawn as a radial ramp that softens the ellipse's
    // edge over the blur radius; the ramp is scaled into the 3:2 ellipse.
    const double blur = SkyMath::nebulaBlurRadius(SkyMath::nebulaMeasure(w, h));
    const double alpha = SkyMath::blobOpacity(s);
    for (int i = 0; i < SkyMath::blobCount; ++i) {
        const QRectF ellipse = SkyMath::blobEllipse(i, t, w, h, s);
        const double radius = ellipse.height() / 2;
        const double outer = SkyMath::softDiscOuterRadius(radius, blur);
        QColor colour = SkyMath::nebulaBlobs()[static_cast<std::size_t>(i)].color;
        QRadialGradient cloud(QPointF(0, 0), outer);
        for (const SkyMath::RampStop& stop : SkyMath::softDiscRamp(radius, blur)) {
            colour.setAlphaF(static_cast<float>(SkyMath::clampOpacity(alpha * stop.alpha)));
            cloud.setColorAt(stop.position, colour);
        }
        canvas.save();
        canvas.translate(ellipse.center());
        canvas.scale(ellipse.width() / ellipse.height(), 1.0);
        canvas.setBrush(cloud);
        canvas.drawEllipse(QPointF(0, 0), outer, outer);
        canvas.restore();
    }

    // The sparkles, sharp on top of the clouds.
    QColor white(Qt::white);
    for (int k = 0; k < SkyMath::sparkleCount; ++k) {
        white.setAlphaF(static_cast<float>(SkyMath::clampOpacity(SkyMath::sparkleOpacity(k, t, s))));
        canvas.fillRect(sparkles_[static_cast<std::size_t>(k)], white);
    }

    // Fade everything out towards the edges.
    canvas.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    canvas.drawImage(bufferOrigin_, mask_);
    canvas.end();

    painter->drawImage(bufferOrigin_, buffer_);
}

void Nebula::prepareForSize(const QSizeF& size, qreal ratio)
{
    preparedSize_ = size;
    preparedRatio_ = ratio;
    const double w = size.width();
    const double h = size.height();

    // The buffer covers the visible part, widened to whole device pixels.
    const QRectF visible = SkyMath::nebulaVisibleRect(w, h);
    const QRect pixels = QRectF(visible.topLeft() * ratio, visible.size() * ratio).toAlignedRect();
    bufferOrigin_ = QPointF(pixels.topLeft()) / ratio;

    buffer_ = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    buffer_.setDevicePixelRatio(ratio);

    mask_ = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    mask_.setDevicePixelRatio(ratio);
    mask_.fill(Qt::transparent);
    QPainter painter(&mask_);
    painter.setPen(Qt::NoPen);
    painter.translate(-bufferOrigin_);
    painter.translate(w / 2, h / 2);
    painter.scale(w / 2, h / 2);  // the unit circle becomes the ellipse filling the view
    painter.setBrush(maskGradient());
    painter.drawRect(QRectF(-1, -1, 2, 2));
    painter.end();

    for (int k = 0; k < SkyMath::sparkleCount; ++k)
        sparkles_[static_cast<std::size_t>(k)] = SkyMath::sparkleRect(k, w, h);
}

void Nebula::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange)
        refreshFrames(value.window);
    else if (change == ItemVisibleHasChanged)
        refreshFrames(window());
}

void Nebula::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    placeLayer();
    refreshFrames(window());
}

void Nebula::refreshFrames(QQuickWindow* window)
{
    // A clear sky draws nothing, so it needs no frames either.
    frames_.refresh(window, SkyMath::nebulaStrength(density_).has_value());
}
