#include "ui/OrbitMapItem.h"

#include <algorithm>
#include <cmath>

#include <QCursor>
#include <QFontMetricsF>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGNode>

#include "platform/Fmt.h"

namespace {

// A picture of PIXELS placed with its top left at TOP_LEFT, moved to
// the nearest whole device pixel: drawn pixel for pixel, and left where it
// is until it has moved by a whole pixel.
QRectF snapped(QPointF topLeft, QSize pixels, qreal ratio)
{
    return {QPointF(std::round(topLeft.x() * ratio), std::round(topLeft.y() * ratio)) / ratio,
            QSizeF(pixels) / ratio};
}

void show(QQuickWindow* window, QSGImageNode* node, const QImage& image, QRectF rect)
{
    QSGTexture* texture = window->createTextureFromImage(image);
    node->setTexture(texture);  // the node owns it and lets the last one go
    node->setSourceRect(QRectF(QPointF(0, 0), texture->textureSize()));
    node->setRect(rect);
}

QSGImageNode* newImageNode(QQuickWindow* window)
{
    QSGImageNode* node = window->createImageNode();
    node->setOwnsTexture(true);
    node->setFiltering(QSGTexture::Linear);
    return node;
}

} // namespace

// The map's nodes: the rings at the bottom, then the planets behind the sun,
// the sun and the planets in front of it, then the labels on top.
struct OrbitMapItem::Scene : QSGNode {
    struct Planet {
        QSGImageNode* node = nullptr;
        OrbitPictures::PlanetLook look;
        QSize pixels;  // its picture's size; empty before the first
    };
    struct Label {
        QSGImageNode* node = nullptr;
        OrbitPictures::LabelLook look;
        QSizeF box;
        QSize pixels;
    };
    QSGImageNode* backdrop = nullptr;
    QSGImageNode* sun = nullptr;
    // Transform nodes, though they move nothing: Qt Quick's software renderer
    // places a node added later from the state it keeps for its parent, and
    // it keeps one only for transform, clip and opacity nodes.
    QSGTransformNode* bodies = new QSGTransformNode;
    QSGTransformNode* labels = new QSGTransformNode;
    std::vector<Planet> planets;  // by body
    std::vector<Label> shownLabels;
    std::vector<QSGNode*> order;  // the bodies' children as they are now
    QString sunTotal;             // what the sun's picture shows
    QString sunName;
    QRectF sunLabel;              // the sun's two lines, which no planet's label covers
    qreal ratio = 0;
};

OrbitMapItem::OrbitMapItem(QQuickItem* parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
    setAcceptedMouseButtons(Qt::LeftButton | Qt::RightButton);
    setAcceptHoverEvents(true);
    setClock(SkyFrames::monotonicNow);
    connect(this, &OrbitMapItem::colorsChanged, this, [this] {
        redrawAll_ = true;
        update();
    });
}

void OrbitMapItem::setModel(SpaceModel* model)
{
    if (model_ == model)
        return;
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    if (model_) {
        connect(model_, &SpaceModel::entriesChanged, this, &OrbitMapItem::refreshBodies);
        for (const auto changed : {&SpaceModel::currentChanged, &SpaceModel::totalsChanged, &SpaceModel::hoveredChanged,
                                   &SpaceModel::neverTouchChanged})
            connect(model_, changed, this, [this] { update(); });
    }
    refreshBodies();
    emit modelChanged();
}

double OrbitMapItem::elapsed() const
{
    return runBefore_ + (paused_ ? 0.0 : clock_() - runFrom_);
}

void OrbitMapItem::setClock(std::function<double()> clock)
{
    clock_ = std::move(clock);
    runBefore_ = 0;
    runFrom_ = clock_();
    update();
}

void OrbitMapItem::setPaused(bool paused)
{
    if (paused_ == paused)
        return;
    // The clock stops where it is and later goes on from there, so that no planet jumps.
    runBefore_ = elapsed();
    paused_ = paused;
    runFrom_ = clock_();
    refreshFrames();
}

void OrbitMapItem::refreshBodies()
{
    const int before = planetCount();
    bodies_ = model_ ? OrbitMap::bodies(model_->entries()) : std::vector<OrbitMap::OrbitBody>{};
    if (planetCount() != before)
        emit planetsChanged();
    // A planet that left (another folder is shown) is no longer under the pointer.
    if (!hover_.isEmpty()
        && std::none_of(bodies_.begin(), bodies_.end(), [&](const OrbitMap::OrbitBody& b) { return b.entry.id() == hover_; }))
        setHover(QString());
    refreshFrames();
    update();
}

void OrbitMapItem::refreshFrames()
{
    // Nothing moves without planets: the still picture needs no frames. The
    // planets creep a few points a second, so a frame is drawn only when they
    // have moved a point or so.
    frames_.setInterval(OrbitMap::frameInterval(size()));
    frames_.refresh(window(), !bodies_.empty() && !paused_);
}

QPointF OrbitMapItem::planetCentre(const QString& id) const
{
    const OrbitMap::Layout layout = OrbitMap::layout(bodies_, size(), elapsed());
    for (const OrbitMap::OrbitPlaced& planet : layout.placed)
        if (planet.body.entry.id() == id)
            return planet.p;
    return QPointF(-1, -1);
}

bool OrbitMapItem::isHovered(const QString& id) const
{
    // under the pointer here, or its row under the pointer in the list
    return hover_ == id || (model_ && model_->hovered() == id);
}

OrbitPictures::Palette OrbitMapItem::palette() const
{
    return {primary_, glow_, text_, muted_, surface_, monoFamily_};
}

QString OrbitMapItem::sunTotal() const { return Fmt::bytes(model_ ? model_->total() : 0); }

QString OrbitMapItem::sunName() const { return OrbitMap::shortName(model_ ? model_->currentName() : QString()); }

QSGNode* OrbitMapItem::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    auto* scene = static_cast<Scene*>(old);
    if (width() <= 0 || height() <= 0 || !window()) {
        delete scene;
        return nullptr;
    }
    const qreal ratio = window()->effectiveDevicePixelRatio();
    if (!scene || scene->ratio != ratio) {
        delete scene;
        scene = new Scene;
        scene->ratio = ratio;
        scene->backdrop = newImageNode(window());
        scene->sun = newImageNode(window());
        scene->appendChildNode(scene->backdrop);
        scene->appendChildNode(scene->bodies);
        scene->appendChildNode(scene->labels);
        redrawAll_ = true;
    }
    const OrbitMap::Layout layout = OrbitMap::layout(bodies_, size(), elapsed());
    const OrbitPictures::Palette colours = palette();
    if (redrawAll_) {
        const QImage rings = OrbitPictures::backdrop(size(), layout, colours, ratio);
        show(window(), scene->backdrop, rings, QRectF(QPointF(0, 0), QSizeF(rings.size()) / ratio));
        for (Scene::Planet& planet : scene->planets)
            planet.look = {};
        for (Scene::Label& label : scene->shownLabels)
            label.look = {};
    }
    // The sun shows the folder's total, which grows while its children are measured.
    const QString total = sunTotal();
    const QString name = sunName();
    if (redrawAll_ || total != scene->sunTotal || name != scene->sunName) {
        const QRectF area = OrbitPictures::sunArea(layout, total, name, colours);
        const QImage sun = OrbitPictures::sun(layout, total, name, colours, area, ratio);
        show(window(), scene->sun, sun, snapped(area.topLeft(), sun.size(), ratio));
        scene->sunTotal = total;
        scene->sunName = name;
        scene->sunLabel = OrbitPictures::sunLabel(layout, total, name, colours);
    }
    redrawAll_ = false;
    placePlanets(*scene, layout, colours);
    placeLabels(*scene, layout, colours);
    return scene;
}

void OrbitMapItem::placePlanets(Scene& scene, const OrbitMap::Layout& layout, const OrbitPictures::Palette& colours)
{
    const qreal ratio = scene.ratio;
    if (scene.planets.size() != layout.placed.size()) {
        while (QSGNode* child = scene.bodies->firstChild())
            scene.bodies->removeChildNode(child);
        for (Scene::Planet& planet : scene.planets)
            delete planet.node;
        scene.planets.assign(layout.placed.size(), {});
        for (Scene::Planet& planet : scene.planets)
            planet.node = newImageNode(window());
        scene.order.clear();
    }
    for (std::size_t i = 0; i < layout.placed.size(); ++i) {
        const OrbitMap::OrbitPlaced& placed = layout.placed[i];
        Scene::Planet& planet = scene.planets[i];
        const QString id = placed.body.entry.id();
        const OrbitPictures::PlanetLook look =
            OrbitPictures::planetLook(placed, model_ && model_->isSelected(id), isHovered(id),
                                      model_ && model_->neverTouch().covers(placed.body.entry.url));
        const double reach = OrbitPictures::planetReach(look.radius);
        const QPointF topLeft = placed.p - QPointF(reach, reach);
        if (look != planet.look || planet.pixels.isEmpty()) {
            const QImage picture = OrbitPictures::planet(look, colours, ratio);
            planet.look = look;
            planet.pixels = picture.size();
            show(window(), planet.node, picture, snapped(topLeft, planet.pixels, ratio));
        } else if (const QRectF rect = snapped(topLeft, planet.pixels, ratio); rect != planet.node->rect()) {
            planet.node->setRect(rect);
        }
    }

    // Behind the sun from the back forwards, the sun, then in front of it.
    std::vector<QSGNode*> order;
    for (std::size_t index : OrbitMap::drawOrder(layout.placed, false))
        order.push_back(scene.planets[index].node);
    order.push_back(scene.sun);
    for (std::size_t index : OrbitMap::drawOrder(layout.placed, true))
        order.push_back(scene.planets[index].node);
    if (order != scene.order) {
        while (QSGNode* child = scene.bodies->firstChild())
            scene.bodies->removeChildNode(child);
        for (QSGNode* node : order)
            scene.bodies->appendChildNode(node);
        scene.order = std::move(order);
    }
}

void OrbitMapItem::placeLabels(Scene& scene, const OrbitMap::Layout& layout, const OrbitPictures::Palette& colours)
{
    // The hovered and selected planets and the five largest have a label,
    // two lines (name, size) 14 points apart.
    const qreal ratio = scene.ratio;
    const QFontMetricsF nameMetrics(OrbitPictures::labelNameFont());
    const QFontMetricsF sizeMetrics(OrbitPictures::labelSizeFont(colours));
    std::vector<OrbitMap::LabelWish> wishes;
    for (std::size_t i = 0; i < layout.placed.size(); ++i) {
        const SizeEntry& entry = layout.placed[i].body.entry;
        const bool selected = model_ && model_->isSelected(entry.id());
        const bool hovered = isHovered(entry.id());
        if (layout.placed[i].body.rank > 4 && !selected && !hovered)
            continue;
        const double width = std::max(nameMetrics.horizontalAdvance(OrbitMap::shortName(entry.name())),
                                      sizeMetrics.horizontalAdvance(Fmt::bytes(entry.size)));
        wishes.push_back({i, QSizeF(std::ceil(width), 28), hovered, selected});
    }
    const std::vector<OrbitMap::LabelSpot> spots = OrbitMap::placeLabels(layout.placed, wishes, scene.sunLabel, size());

    while (scene.shownLabels.size() > spots.size()) {
        scene.labels->removeChildNode(scene.shownLabels.back().node);
        delete scene.shownLabels.back().node;
        scene.shownLabels.pop_back();
    }
    for (std::size_t k = 0; k < spots.size(); ++k) {
        if (k == scene.shownLabels.size())
            scene.shownLabels.push_back({newImageNode(window()), {}, {}, {}});
        Scene::Label& label = scene.shownLabels[k];
        const OrbitMap::OrbitPlaced& planet = layout.placed[spots[k].planet];
        const OrbitPictures::LabelLook look{OrbitMap::shortName(planet.body.entry.name()),
                                            Fmt::bytes(planet.body.entry.size), OrbitPictures::lightAt(planet.depth)};
        const QPointF topLeft = spots[k].rect.topLeft() - QPointF(OrbitPictures::kLabelPad, OrbitPictures::kLabelPad);
        if (look != label.look || spots[k].rect.size() != label.box || label.pixels.isEmpty()) {
            label.look = look;
            label.box = spots[k].rect.size();
            const QImage picture = OrbitPictures::label(look, label.box, colours, ratio);
            label.pixels = picture.size();
            show(window(), label.node, picture, snapped(topLeft, label.pixels, ratio));
            if (!label.node->parent())  // a node joins the scene with its picture
                scene.labels->appendChildNode(label.node);
        } else if (const QRectF rect = snapped(topLeft, label.pixels, ratio); rect != label.node->rect()) {
            label.node->setRect(rect);
        }
    }
}

void OrbitMapItem::mousePressEvent(QMouseEvent* event)
{
    pressedAt_ = event->position();
    event->accept();
}

void OrbitMapItem::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    event->accept();
    if (std::hypot(at.x() - pressedAt_.x(), at.y() - pressedAt_.y()) > 6)
        return;  // a drag, not a click
    const std::optional<SizeEntry> entry = OrbitMap::hit(bodies_, at, size(), elapsed());
    if (event->button() == Qt::RightButton) {
        if (entry)
            emit planetMenuRequested(entry->id(), at);
        return;
    }
    if (entry)
        emit planetTapped(entry->id());
    else if (OrbitMap::hitsCenter(at, size()))
        emit centerTapped();
}

void OrbitMapItem::hoverMoveEvent(QHoverEvent* event)
{
    const std::optional<SizeEntry> entry = OrbitMap::hit(bodies_, event->position(), size(), elapsed());
    setHover(entry ? entry->id() : QString());
    const bool onSun = !entry && OrbitMap::hitsCenter(event->position(), size()) && model_ && model_->historyCount() > 0;
    setCursor(entry || onSun ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void OrbitMapItem::hoverEnterEvent(QHoverEvent* event)
{
    // The planets hold still under the pointer, so that a click lands where it aims.
    setPaused(true);
    hoverMoveEvent(event);
}

void OrbitMapItem::hoverLeaveEvent(QHoverEvent*)
{
    setHover(QString());
    unsetCursor();
    setPaused(false);
}

void OrbitMapItem::setHover(const QString& id)
{
    if (hover_ == id)
        return;
    hover_ = id;
    emit hoverChanged();
    update();
}

void OrbitMapItem::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange)
        frames_.refresh(value.window, !bodies_.empty() && !paused_);
    else if (change == ItemVisibleHasChanged)
        refreshFrames();
}

void OrbitMapItem::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        redrawAll_ = true;
        update();
    }
    refreshFrames();
}
