#pragma once
// The twinkling star field with its occasional shooting star, drawn behind
// pages, the tray panel and the celebration. Decoration only: it takes no input.
#include <vector>

#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

#include "ui/sky/SkyFrames.h"
#include "ui/sky/SkyMath.h"

class Starfield : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    // A factor on every star's opacity (0.7 behind pages, 1.6 at the celebration).
    Q_PROPERTY(double brightness READ brightness WRITE setBrightness NOTIFY brightnessChanged)

public:
    explicit Starfield(QQuickItem* parent = nullptr);

    double brightness() const { return brightness_; }
    void setBrightness(double brightness);

    // The stars, made once when the item is created.
    const std::vector<SkyMath::StarPoint>& stars() const { return stars_; }
    // Replaces the stars (for tests that need a known sky).
    void setStars(std::vector<SkyMath::StarPoint> stars);
    // True while the item repaints itself on its frame timer.
    bool isAnimating() const { return frames_.isActive(); }

    void paint(QPainter* painter) override;
    // Draws the sky as it is at time t (seconds since the Unix epoch).
    void paintAt(QPainter* painter, double t) const;

signals:
    void brightnessChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    double brightness_ = 1.0;
    std::vector<SkyMath::StarPoint> stars_;
    SkyFrames::Timer frames_{this};
};
