#pragma once
// The twinkling star field with its occasional shooting star, drawn behind
// pages, the tray panel and the celebration. Decoration only: it takes no input.
//
// Each star is its own small textured square under its own opacity, drawn
// once; a frame changes only the opacities, so a renderer that repaints what
// changed (Qt Quick's software renderer) redraws a few points around each
// star, never the window. The shooting star is a small painted item that
// covers only its line and follows it.
#include <functional>
#include <optional>
#include <vector>

#include <QQuickItem>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

#include "ui/sky/SkyFrames.h"
#include "ui/sky/SkyMath.h"

// The shooting star's line, in an item placed over the area it covers.
class ShootingStarItem : public QQuickPaintedItem {
    Q_OBJECT
public:
    explicit ShootingStarItem(QQuickItem* parent);
    // Shows the star (in the parent's coordinates), or hides the item.
    void show(const std::optional<SkyMath::ShootingStar>& star);
    void paint(QPainter* painter) override;

private:
    SkyMath::ShootingStar star_;
};

class Starfield : public QQuickItem {
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
    // Replaces the clock, seconds since the Unix epoch (for tests that need a known moment).
    void setClock(std::function<double()> clock);
    // True while the item advances itself on its frame timer.
    bool isAnimating() const { return frames_.isActive(); }
    // The shooting star's item (tests look at where it is).
    const ShootingStarItem* shootingItem() const { return shooting_; }

signals:
    void brightnessChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    // One frame: moves the shooting star and, when their time has come, asks
    // for new star opacities.
    void frame();

    double brightness_ = 1.0;
    std::vector<SkyMath::StarPoint> stars_;
    std::function<double()> clock_ = SkyFrames::now;
    ShootingStarItem* shooting_;
    bool rebuild_ = true;     // the star squares must be made again (size, stars, scale)
    double starsAt_ = -1e9;   // the time of the last opacities set
    SkyFrames::Timer frames_{this};
};
