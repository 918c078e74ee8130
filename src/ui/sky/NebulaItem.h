#pragma once
// The coloured nebula whose thickness shows how much clutter there is: six
// soft drifting clouds and forty sparkles, fading out towards the edges.
// Decoration only: it takes no input.
//
// The edge mask clears everything outside the middle of the view, so the
// frames are painted by a layer that covers only that middle: a renderer that
// repaints what changed (Qt Quick's software renderer) redraws that part of
// the view, not the whole of it.
#include <array>

#include <QImage>
#include <QQuickItem>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

#include "ui/sky/SkyFrames.h"
#include "ui/sky/SkyMath.h"

class Nebula;

// The painted middle of a nebula, placed where its mask lets anything through.
class NebulaLayer : public QQuickPaintedItem {
    Q_OBJECT
public:
    explicit NebulaLayer(Nebula* owner);
    void paint(QPainter* painter) override;

private:
    Nebula* owner_;
};

class Nebula : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    // 0 (clear sky) to 1 (thick nebula); values above 1 draw like 1.
    Q_PROPERTY(double density READ density WRITE setDensity NOTIFY densityChanged)

public:
    explicit Nebula(QQuickItem* parent = nullptr);

    double density() const { return density_; }
    void setDensity(double density);

    // True while the item repaints itself on its frame timer (never for a clear sky).
    bool isAnimating() const { return frames_.isActive(); }

    // Draws the nebula as it is at time t (seconds since the Unix epoch), in
    // the item's coordinates; the layer paints its frames with it.
    void paintAt(QPainter* painter, double t);
    // The layer's area in the item (tests look at it).
    QRectF layerRect() const;

signals:
    void densityChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    // Rebuilds the parts that depend only on the size: the drawing buffer and
    // the edge mask (both covering only the part the mask lets through) and
    // the sparkle positions.
    void prepareForSize(const QSizeF& size, qreal pixelRatio);
    void refreshFrames(QQuickWindow* window);
    void placeLayer();

    double density_ = 0.0;
    QSizeF preparedSize_;
    qreal preparedRatio_ = 0;
    QPointF bufferOrigin_;  // where the buffer's top-left sits in the item
    QImage mask_;
    QImage buffer_;
    std::array<QRectF, SkyMath::sparkleCount> sparkles_;
    NebulaLayer* layer_;
    SkyFrames::Timer frames_{this};
};
