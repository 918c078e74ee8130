#include "ui/OrbitMapItem.h"

#include <algorithm>
#include <cmath>

#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "platform/Fmt.h"

namespace {

const QColor kFileColor(0x5F, 0xC8, 0xE8);

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

// Text centred on (x, y), the vertical middle of its line at y.
void centredText(QPainter* painter, const QString& text, double x, double y)
{
    const QFontMetricsF metrics(painter->font());
    const double width = metrics.horizontalAdvance(text);
    painter->drawText(QPointF(x - width / 2, y + (metrics.ascent() - metrics.descent()) / 2), text);
}

QFont fontOf(const QString& family, int pixels, QFont::Weight weight)
{
    QFont font = family.isEmpty() ? QGuiApplication::font() : QFont(family);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

} // namespace

OrbitMapItem::OrbitMapItem(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    // Opaque, on the card's own colour: the software renderer then redraws
    // only the map for each frame, not the sky and the card beneath it.
    setOpaquePainting(true);
    setFillColor(QColor(0x16, 0x16, 0x1A));
    setAcceptedMouseButtons(Qt::LeftButton);
    setAcceptHoverEvents(true);
    clock_.start();
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
        connect(model_, &SpaceModel::currentChanged, this, [this] { update(); });
        connect(model_, &SpaceModel::totalsChanged, this, [this] { update(); });
        connect(model_, &SpaceModel::hoveredChanged, this, [this] { update(); });
    }
    refreshBodies();
    emit modelChanged();
}

double OrbitMapItem::elapsed() const
{
    return runBefore_ + (paused_ ? 0.0 : double(clock_.nsecsElapsed()) / 1e9);
}

void OrbitMapItem::setPaused(bool paused)
{
    if (paused_ == paused)
        return;
    // The clock stops where it is and later goes on from there, so that no planet jumps.
    runBefore_ = elapsed();
    paused_ = paused;
    clock_.restart();
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
    // have moved about half a point.
    frames_.setInterval(std::max(OrbitMap::frameInterval(size()), SkyFrames::intervalMs));
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

void OrbitMapItem::paint(QPainter* painter) { paintAt(painter, elapsed()); }

void OrbitMapItem::paintAt(QPainter* painter, double t) const
{
    if (width() <= 0 || height() <= 0)
        return;
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    const OrbitMap::Layout layout = OrbitMap::layout(bodies_, size(), t);

    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(withAlpha(Qt::white, 0.07), 1));
    for (const QSizeF& orbit : layout.orbits)
        painter->drawEllipse(layout.center, orbit.width(), orbit.height());

    for (std::size_t index : OrbitMap::drawOrder(layout.placed, false))
        paintPlanet(painter, layout.placed[index]);
    paintSun(painter, layout);
    for (std::size_t index : OrbitMap::drawOrder(layout.placed, true))
        paintPlanet(painter, layout.placed[index]);
    paintLabels(painter, layout);
}

void OrbitMapItem::paintSun(QPainter* painter, const OrbitMap::Layout& layout) const
{
    const QPointF c = layout.center;
    const double r = layout.sunRadius;
    // A wide, faint corona, then the body lit from the upper left.
    QRadialGradient corona(c, r * 2.4);
    corona.setColorAt(0.0, withAlpha(glow_, 0.30));
    corona.setColorAt(0.4, withAlpha(primary_, 0.14));
    corona.setColorAt(1.0, withAlpha(primary_, 0.0));
    painter->setPen(Qt::NoPen);
    painter->setBrush(corona);
    painter->drawEllipse(c, r * 2.4, r * 2.4);

    QRadialGradient body(c - QPointF(r * 0.35, r * 0.35), r * 1.4);
    body.setColorAt(0.0, glow_.lighter(115));
    body.setColorAt(0.55, primary_);
    body.setColorAt(1.0, primary_.darker(160));
    painter->setBrush(body);
    painter->drawEllipse(c, r, r);

    // Light text over a soft dark shadow reads on the sun and beside it alike
    // (a long name is wider than a small sun).
    const QString total = Fmt::bytes(model_ ? model_->total() : 0);
    const QString name = OrbitMap::shortName(model_ ? model_->currentName() : QString());
    const auto shadowed = [&](const QString& text, double y, double opacity) {
        painter->setPen(withAlpha(QColor(0x0E, 0x0E, 0x0E), 0.55 * opacity));
        centredText(painter, text, c.x() + 0.8, y + 1);
        painter->setPen(withAlpha(text_, opacity));
        centredText(painter, text, c.x(), y);
    };
    painter->setFont(sunTotalFont());
    shadowed(total, c.y() + OrbitMap::kSunTotalDy, 1.0);
    painter->setFont(sunNameFont());
    shadowed(name, c.y() + OrbitMap::kSunNameDy, 0.8);
}

QFont OrbitMapItem::sunTotalFont() const { return fontOf(monoFamily_, 13, QFont::Bold); }
QFont OrbitMapItem::sunNameFont() const { return fontOf(QString(), 10, QFont::DemiBold); }
QFont OrbitMapItem::labelNameFont() const { return fontOf(QString(), 11, QFont::DemiBold); }
QFont OrbitMapItem::labelSizeFont() const { return fontOf(monoFamily_, 10, QFont::Medium); }

bool OrbitMapItem::isHovered(const QString& id) const
{
    // under the pointer here, or its row under the pointer in the list
    return hover_ == id || (model_ && model_->hovered() == id);
}

void OrbitMapItem::paintLabels(QPainter* painter, const OrbitMap::Layout& layout) const
{
    const QFontMetricsF totalMetrics(sunTotalFont());
    const QFontMetricsF nameMetrics(sunNameFont());
    const QString total = Fmt::bytes(model_ ? model_->total() : 0);
    const QString name = OrbitMap::shortName(model_ ? model_->currentName() : QString());
    const QRectF sunLabel = OrbitMap::sunLabelRect(layout.center,
                                                   QSizeF(totalMetrics.horizontalAdvance(total), totalMetrics.height()),
                                                   QSizeF(nameMetrics.horizontalAdvance(name), nameMetrics.height()));

    // The hovered and selected planets and the five largest have a label,
    // two lines (name, size) 14 points apart.
    const QFontMetricsF labelName(labelNameFont());
    const QFontMetricsF labelSize(labelSizeFont());
    std::vector<OrbitMap::LabelWish> wishes;
    for (std::size_t i = 0; i < layout.placed.size(); ++i) {
        const SizeEntry& entry = layout.placed[i].body.entry;
        const bool selected = model_ && model_->isSelected(entry.id());
        const bool hovered = isHovered(entry.id());
        if (layout.placed[i].body.rank > 4 && !selected && !hovered)
            continue;
        const double width = std::max(labelName.horizontalAdvance(OrbitMap::shortName(entry.name())),
                                      labelSize.horizontalAdvance(Fmt::bytes(entry.size)));
        wishes.push_back({i, QSizeF(std::ceil(width), 28), hovered, selected});
    }
    for (const OrbitMap::LabelSpot& spot : OrbitMap::placeLabels(layout.placed, wishes, sunLabel, size())) {
        const OrbitMap::OrbitPlaced& planet = layout.placed[spot.planet];
        const double light = (planet.depth + 1) * 0.5 * 0.5 + 0.5;
        const double x = spot.rect.center().x();
        painter->setPen(withAlpha(text_, 0.55 + 0.45 * light));
        painter->setFont(labelNameFont());
        centredText(painter, OrbitMap::shortName(planet.body.entry.name()), x, spot.rect.top() + 7);
        painter->setPen(withAlpha(muted_, 0.55 + 0.45 * light));
        painter->setFont(labelSizeFont());
        centredText(painter, Fmt::bytes(planet.body.entry.size), x, spot.rect.top() + 21);
    }
}

void OrbitMapItem::paintPlanet(QPainter* painter, const OrbitMap::OrbitPlaced& planet) const
{
    const double R = planet.body.r * planet.scale;
    const double light = (planet.depth + 1) * 0.5 * 0.5 + 0.5;
    const QPointF p = planet.p;
    const SizeEntry& entry = planet.body.entry;
    const QString id = entry.id();

    QRadialGradient halo(p, 1.8 * R);
    halo.setColorAt(0.5 / 1.8, withAlpha(primary_, 0.22 * light));
    halo.setColorAt(1.0, withAlpha(primary_, 0.0));
    painter->setPen(Qt::NoPen);
    painter->setBrush(halo);
    painter->drawEllipse(p, 1.8 * R, 1.8 * R);

    // The disc, dimmer at the back, with a soft light from the upper left.
    const QColor base = entry.isDir ? primary_ : kFileColor;
    QRadialGradient disc(p - QPointF(R * 0.4, R * 0.4), R * 1.6);
    disc.setColorAt(0.0, base.lighter(125));
    disc.setColorAt(1.0, base.darker(int(150 + (1 - light) * 60)));
    painter->setBrush(disc);
    painter->drawEllipse(p, R, R);

    if (planet.body.rank == 0) {
        // The lower half of a flat ring, in 48 segments, turned by -0.1π.
        QPainterPath ring;
        const double turn = -0.1 * M_PI;
        for (int i = 0; i <= 48; ++i) {
            const double a = M_PI * i / 48;
            const double x = std::cos(a) * 1.75 * R;
            const double y = std::sin(a) * 0.42 * R;
            const QPointF point(p.x() + x * std::cos(turn) - y * std::sin(turn),
                                p.y() + x * std::sin(turn) + y * std::cos(turn));
            if (i == 0)
                ring.moveTo(point);
            else
                ring.lineTo(point);
        }
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(withAlpha(glow_, 0.8 * light), 1.6, Qt::SolidLine, Qt::RoundCap));
        painter->drawPath(ring);
    }

    const bool selected = model_ && model_->isSelected(id);
    if (selected || isHovered(id)) {
        painter->setBrush(Qt::NoBrush);
        painter->setPen(selected ? QPen(Qt::white, 2) : QPen(withAlpha(Qt::white, 0.5), 1));
        painter->drawEllipse(p, R + 4, R + 4);
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
    if (const std::optional<SizeEntry> entry = OrbitMap::hit(bodies_, at, size(), elapsed()))
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
    QQuickPaintedItem::itemChange(change, value);
    if (change == ItemSceneChange)
        frames_.refresh(value.window, !bodies_.empty() && !paused_);
    else if (change == ItemVisibleHasChanged)
        refreshFrames();
}

void OrbitMapItem::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    refreshFrames();
}
