#include "space/OrbitLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace OrbitMap {

std::vector<OrbitBody> bodies(const std::vector<SizeEntry>& entries)
{
    // Only the 12 largest are needed: a partial sort, with the listing order
    // breaking ties, gives the same first 12 as a stable sort of them all.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].size > 0)
            order.push_back(i);
    const std::size_t kept = std::min<std::size_t>(order.size(), kMaxBodies);
    std::partial_sort(order.begin(), order.begin() + std::ptrdiff_t(kept), order.end(),
                      [&](std::size_t a, std::size_t b) {
                          if (entries[a].size != entries[b].size)
                              return entries[a].size > entries[b].size;
                          return a < b;
                      });
    order.resize(kept);

    std::vector<OrbitBody> result;
    if (order.empty())
        return result;
    const double maxSize = double(entries[order.front()].size);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int ring = i <= 2 ? 0 : i <= 6 ? 1 : 2;
        const int j = int(i) - (ring == 0 ? 0 : ring == 1 ? 3 : 7);
        const SizeEntry& entry = entries[order[i]];
        OrbitBody body;
        body.entry = entry;
        body.r = std::sqrt(double(entry.size) / maxSize) * 24 + 6;
        body.orbit = ring;
        body.phase = ring * 0.9 + 2 * M_PI * j / kRingCounts[std::size_t(ring)];
        body.rank = int(i);
        result.push_back(std::move(body));
    }
    return result;
}

Layout layout(const std::vector<OrbitBody>& bodies, QSizeF size, double t)
{
    const double w = size.width();
    const double h = size.height();
    Layout result;
    result.center = QPointF(w * 0.5, h * 0.5);
    const double rx = std::max(w * 0.5 - 40, 80.0);
    const double ry = std::max(h * 0.5 - 40, 40.0);
    const double bodyScale = std::clamp(std::min(w, 1.4 * h) / 560, 0.6, 1.35);
    for (std::size_t k = 0; k < 3; ++k) {
        const double a = rx * kRingFactors[k];
        const double b = std::min(ry * kRingFactors[k], a * 0.5);
        result.orbits[k] = QSizeF(a, b);
    }
    result.placed.reserve(bodies.size());
    for (const OrbitBody& body : bodies) {
        const std::size_t ring = std::size_t(std::clamp(body.orbit, 0, 2));
        const double angle = kRingSpeeds[ring] * t + body.phase;
        OrbitPlaced placed;
        placed.body = body;
        placed.p = QPointF(result.center.x() + std::cos(angle) * result.orbits[ring].width(),
                           result.center.y() + std::sin(angle) * result.orbits[ring].height());
        placed.depth = std::sin(angle);
        placed.scale = (0.8 + 0.2 * (placed.depth + 1) * 0.5) * bodyScale;
        result.placed.push_back(std::move(placed));
    }
    result.sunRadius = std::max(std::min(w, h) * 0.075, 18.0);
    return result;
}

std::optional<std::size_t> hitIndex(const std::vector<OrbitPlaced>& placed, QPointF point)
{
    std::vector<std::size_t> order(placed.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return placed[a].depth > placed[b].depth; });
    for (std::size_t index : order) {
        const OrbitPlaced& planet = placed[index];
        const double reach = planet.body.r * planet.scale + 4;
        if (std::hypot(point.x() - planet.p.x(), point.y() - planet.p.y()) <= reach)
            return index;
    }
    return std::nullopt;
}

std::optional<SizeEntry> hit(const std::vector<OrbitBody>& bodies, QPointF point, QSizeF size, double t)
{
    const Layout placed = layout(bodies, size, t);
    if (const std::optional<std::size_t> index = hitIndex(placed.placed, point))
        return placed.placed[*index].body.entry;
    return std::nullopt;
}

bool hitsCenter(QPointF point, QSizeF size)
{
    const double distance = std::hypot(point.x() - size.width() * 0.5, point.y() - size.height() * 0.5);
    return distance < std::min(size.width(), size.height()) * 0.1;
}

QString shortName(const QString& name)
{
    // Characters, not UTF-16 units: a name of emoji is cut between them, never inside one.
    const QList<uint> chars = name.toUcs4();
    if (chars.size() <= 18)
        return name;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), 16) + QChar(0x2026);
}

int frameInterval(QSizeF size)
{
    // A planet runs fastest at the ends of its ellipse, at speed × the horizontal semi-axis.
    const Layout geometry = layout({}, size, 0);
    double fastest = 0;
    for (std::size_t k = 0; k < 3; ++k)
        fastest = std::max(fastest, kRingSpeeds[k] * geometry.orbits[k].width());
    for (int interval : {250, 125})
        if (fastest * interval / 1000.0 <= kMostPointsPerFrame)
            return interval;
    return 50;
}

std::vector<std::size_t> drawOrder(const std::vector<OrbitPlaced>& placed, bool front)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < placed.size(); ++i)
        if ((placed[i].depth >= 0) == front)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return placed[a].depth < placed[b].depth; });
    return order;
}

QRectF sunLabelRect(QPointF center, QSizeF total, QSizeF name)
{
    const QRectF totalLine(center.x() - total.width() / 2, center.y() + kSunTotalDy - total.height() / 2,
                           total.width(), total.height());
    const QRectF nameLine(center.x() - name.width() / 2, center.y() + kSunNameDy - name.height() / 2, name.width(),
                          name.height());
    return totalLine.united(nameLine);
}

std::vector<LabelSpot> placeLabels(const std::vector<OrbitPlaced>& placed, std::vector<LabelWish> wishes,
                                   QRectF sunLabel, QSizeF size)
{
    const auto rank = [&](const LabelWish& wish) { return placed[wish.planet].body.rank; };
    std::stable_sort(wishes.begin(), wishes.end(), [&](const LabelWish& a, const LabelWish& b) {
        if (a.hovered != b.hovered)
            return a.hovered;
        if (a.selected != b.selected)
            return a.selected;
        return rank(a) < rank(b);
    });

    // Labels keep a few points apart, so that two lines never touch.
    constexpr double kApart = 3;
    const QRectF view(QPointF(0, 0), size);
    std::vector<QRectF> taken{sunLabel.adjusted(-kApart, -kApart, kApart, kApart)};
    std::vector<LabelSpot> spots;
    for (const LabelWish& wish : wishes) {
        if (wish.planet >= placed.size())
            continue;
        const OrbitPlaced& planet = placed[wish.planet];
        const double R = planet.body.r * planet.scale;
        const double w = wish.size.width();
        const double h = wish.size.height();
        const QPointF p = planet.p;
        const QRectF places[] = {
            QRectF(p.x() - w / 2, p.y() + R + 7, w, h),   // below
            QRectF(p.x() - w / 2, p.y() - R - 5 - h, w, h),  // above
            QRectF(p.x() + R + 8, p.y() - h / 2, w, h),   // after
            QRectF(p.x() - R - 8 - w, p.y() - h / 2, w, h),  // before
        };
        const auto free = [&](const QRectF& place) {
            return view.contains(place)
                && std::none_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(place); });
        };
        const auto clearOfPlanets = [&](const QRectF& place) {
            return std::none_of(placed.begin(), placed.end(), [&](const OrbitPlaced& other) {
                const double r = other.body.r * other.scale;
                return place.intersects(QRectF(other.p.x() - r, other.p.y() - r, 2 * r, 2 * r));
            });
        };
        // A place that covers no other planet first, then any free one.
        std::optional<QRectF> chosen;
        for (const QRectF& place : places)
            if (!chosen && free(place) && clearOfPlanets(place))
                chosen = place;
        for (const QRectF& place : places)
            if (!chosen && free(place))
                chosen = place;
        if (chosen) {
            spots.push_back({wish.planet, *chosen});
            taken.push_back(chosen->adjusted(-kApart, -kApart, kApart, kApart));
        }
    }
    return spots;
}

} // namespace OrbitMap
