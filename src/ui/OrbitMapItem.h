#pragma once
// The space page's orbit map: the shown folder as a sun with its total and
// name, its largest children as planets turning on three orbits. A click on
// a planet or on the sun is handed to the page (a right click on a planet
// asks for its menu); the pointer highlights the planet under it and holds
// the planets still while it is over the map. A planet on the never-touch
// list wears a lock.
// Moves its planets at most 20 times a second, on the ticks the sky's stars
// twinkle on (fewer on a small map, whose planets move slower), and only while
// there are planets to move and the map can be seen. The geometry is
// OrbitMap's (space/OrbitLayout.h).
//
// The map is a handful of pictures (OrbitPictures.h) in the scene graph: the
// rings on the card, the sun, each planet and each label. A frame only moves
// the planets' and labels' pictures to their new whole pixels, so a renderer
// that repaints what changed (Qt Quick's software renderer) redraws the small
// squares they left and entered, not the whole map.
#include <functional>
#include <vector>

#include <QColor>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

#include "space/OrbitLayout.h"
#include "space/SpaceModel.h"
#include "ui/OrbitPictures.h"
#include "ui/sky/SkyFrames.h"

class QSGImageNode;
class QSGNode;

class OrbitMapItem : public QQuickItem {
    Q_OBJECT
    QML_NAMED_ELEMENT(OrbitMap)
    Q_PROPERTY(SpaceModel* model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(QString hover READ hover NOTIFY hoverChanged)
    Q_PROPERTY(int planetCount READ planetCount NOTIFY planetsChanged)
    Q_PROPERTY(QColor primaryColor MEMBER primary_ NOTIFY colorsChanged)
    Q_PROPERTY(QColor glowColor MEMBER glow_ NOTIFY colorsChanged)
    Q_PROPERTY(QColor textColor MEMBER text_ NOTIFY colorsChanged)
    Q_PROPERTY(QColor mutedColor MEMBER muted_ NOTIFY colorsChanged)
    Q_PROPERTY(QString monoFamily MEMBER monoFamily_ NOTIFY colorsChanged)
    // The colour under the map (it paints opaque): the card's surface.
    Q_PROPERTY(QColor backgroundColor MEMBER surface_ NOTIFY colorsChanged)

public:
    explicit OrbitMapItem(QQuickItem* parent = nullptr);

    SpaceModel* model() const { return model_; }
    void setModel(SpaceModel* model);
    QString hover() const { return hover_; }
    int planetCount() const { return int(bodies_.size()); }
    bool isAnimating() const { return frames_.isActive(); }

    // Seconds the map has turned since it was first shown: the animation
    // clock, which stands still while the pointer is over the map.
    double elapsed() const;
    // Replaces the clock the map turns by, in seconds (for tests that need a
    // known moment); the map's turning starts again from 0.
    void setClock(std::function<double()> clock);
    // Where the planet of `id` is now (view coordinates); (-1, -1) when it has none.
    Q_INVOKABLE QPointF planetCentre(const QString& id) const;

signals:
    void modelChanged();
    void hoverChanged();
    void planetsChanged();
    void colorsChanged();
    // A planet was clicked.
    void planetTapped(const QString& id);
    // A planet was clicked with the right button, at `at` (map coordinates): its menu.
    void planetMenuRequested(const QString& id, QPointF at);
    // The sun was clicked (and no planet).
    void centerTapped();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hoverEnterEvent(QHoverEvent* event) override;
    void hoverMoveEvent(QHoverEvent* event) override;
    void hoverLeaveEvent(QHoverEvent* event) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    struct Scene;

    void refreshBodies();
    void refreshFrames();
    void setHover(const QString& id);
    bool isHovered(const QString& id) const;
    void setPaused(bool paused);
    OrbitPictures::Palette palette() const;
    QString sunTotal() const;
    QString sunName() const;
    void placePlanets(Scene& scene, const OrbitMap::Layout& layout, const OrbitPictures::Palette& colours);
    void placeLabels(Scene& scene, const OrbitMap::Layout& layout, const OrbitPictures::Palette& colours);

    QPointer<SpaceModel> model_;
    std::vector<OrbitMap::OrbitBody> bodies_;
    QString hover_;
    // The animation clock: the seconds run before the last pause, and the
    // clock's reading when the planets last set off (they stand still while
    // the pointer is over the map).
    std::function<double()> clock_;
    double runBefore_ = 0;
    double runFrom_ = 0;
    bool paused_ = false;
    QPointF pressedAt_;
    SkyFrames::Timer frames_{this, SkyMath::slowFrameMs};  // the map's size sets the pace
    QColor primary_{0x94, 0x98, 0xF2};
    QColor glow_{0xB4, 0xB7, 0xF7};
    QColor text_{0xF4, 0xF4, 0xF5};
    QColor muted_{0xA1, 0xA1, 0xAA};
    QColor surface_{0x16, 0x16, 0x1A};
    QString monoFamily_ = QStringLiteral("DejaVu Sans Mono");
    bool redrawAll_ = true;  // every picture must be drawn again (size, colours)
};
