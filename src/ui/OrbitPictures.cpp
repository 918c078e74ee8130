#include "ui/OrbitPictures.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace OrbitPictures {

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

// A transparent image of SIZE points at RATIO device pixels per point, with
// a painter ready to draw on it in points.
QImage clearImage(QSizeF size, qreal ratio)
{
    QImage image(QSizeF(size * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

double quantized(double value, double steps) { return std::round(value * steps) / steps; }

// A round badge of radius B centred on C with a padlock in it: a shackle
// over a body, drawn in units of a fifth of the badge.
void lockBadge(QPainter* painter, QPointF c, double b, const Palette& palette)
{
    painter->setPen(QPen(withAlpha(palette.glow, 0.9), 1));
    painter->setBrush(palette.surface);
    painter->drawEllipse(c, b, b);

    const double u = b / 5;
    QPainterPath shackle;
    shackle.moveTo(c.x() - 1.4 * u, c.y() - 0.4 * u);
    shackle.lineTo(c.x() - 1.4 * u, c.y() - 1.5 * u);
    shackle.arcTo(QRectF(c.x() - 1.4 * u, c.y() - 2.9 * u, 2.8 * u, 2.8 * u), 180, -180);
    shackle.lineTo(c.x() + 1.4 * u, c.y() - 0.4 * u);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(palette.text, 1.0 * u, Qt::SolidLine, Qt::RoundCap));
    painter->drawPath(shackle);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette.text);
    painter->drawRoundedRect(QRectF(c.x() - 2.1 * u, c.y() - 0.6 * u, 4.2 * u, 3.1 * u), 0.6 * u, 0.6 * u);
}

} // namespace

double lightAt(double depth) { return quantized((depth + 1) * 0.5 * 0.5 + 0.5, 32); }

PlanetLook planetLook(const OrbitMap::OrbitPlaced& planet, bool selected, bool hovered, bool ignored)
{
    PlanetLook look;
    look.radius = quantized(planet.body.r * planet.scale, 4);
    look.light = lightAt(planet.depth);
    look.isDir = planet.body.entry.isDir;
    look.ringed = planet.body.rank == 0;
    look.selected = selected;
    look.hovered = hovered;
    look.ignored = ignored;
    return look;
}

double planetReach(double radius) { return std::max(1.8 * radius, radius + 5) + 1; }

QFont sunTotalFont(const Palette& palette) { return fontOf(palette.monoFamily, 13, QFont::Bold); }
QFont sunNameFont() { return fontOf(QString(), 10, QFont::DemiBold); }
QFont labelNameFont() { return fontOf(QString(), 11, QFont::DemiBold); }
QFont labelSizeFont(const Palette& palette) { return fontOf(palette.monoFamily, 10, QFont::Medium); }

QImage backdrop(QSizeF size, const OrbitMap::Layout& layout, const Palette& palette, qreal ratio)
{
    QImage image(QSizeF(size * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(palette.surface);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(withAlpha(Qt::white, 0.07), 1));
    for (const QSizeF& orbit : layout.orbits)
        painter.drawEllipse(layout.center, orbit.width(), orbit.height());
    return image;
}

QRectF sunLabel(const OrbitMap::Layout& layout, const QString& total, const QString& name, const Palette& palette)
{
    const QFontMetricsF totalMetrics(sunTotalFont(palette));
    const QFontMetricsF nameMetrics(sunNameFont());
    return OrbitMap::sunLabelRect(layout.center,
                                  QSizeF(totalMetrics.horizontalAdvance(total), totalMetrics.height()),
                                  QSizeF(nameMetrics.horizontalAdvance(name), nameMetrics.height()));
}

QRectF sunArea(const OrbitMap::Layout& layout, const QString& total, const QString& name, const Palette& palette)
{
    const double corona = layout.sunRadius * 2.4;
    const QRectF disc(layout.center - QPointF(corona, corona), QSizeF(2 * corona, 2 * corona));
    // Room for the shadow under the text and glyphs that stand out of their advance.
    return disc.united(sunLabel(layout, total, name, palette).adjusted(-4, -2, 4, 3)).toAlignedRect();
}

QImage sun(const OrbitMap::Layout& layout, const QString& total, const QString& name, const Palette& palette,
           QRectF area, qreal ratio)
{
    QImage image = clearImage(area.size(), ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(-area.topLeft());  // draw in the map's coordinates

    const QPointF c = layout.center;
    const double r = layout.sunRadius;
    // A wide, faint corona, then the body lit from the upper left.
    QRadialGradient corona(c, r * 2.4);
    corona.setColorAt(0.0, withAlpha(palette.glow, 0.30));
    corona.setColorAt(0.4, withAlpha(palette.primary, 0.14));
    corona.setColorAt(1.0, withAlpha(palette.primary, 0.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(corona);
    painter.drawEllipse(c, r * 2.4, r * 2.4);

    QRadialGradient body(c - QPointF(r * 0.35, r * 0.35), r * 1.4);
    body.setColorAt(0.0, palette.glow.lighter(115));
    body.setColorAt(0.55, palette.primary);
    body.setColorAt(1.0, palette.primary.darker(160));
    painter.setBrush(body);
    painter.drawEllipse(c, r, r);

    // Light text over a soft dark shadow reads on the sun and beside it alike
    // (a long name is wider than a small sun).
    const auto shadowed = [&](const QString& text, double y, double opacity) {
        painter.setPen(withAlpha(QColor(0x0E, 0x0E, 0x0E), 0.55 * opacity));
        centredText(&painter, text, c.x() + 0.8, y + 1);
        painter.setPen(withAlpha(palette.text, opacity));
        centredText(&painter, text, c.x(), y);
    };
    painter.setFont(sunTotalFont(palette));
    shadowed(total, c.y() + OrbitMap::kSunTotalDy, 1.0);
    painter.setFont(sunNameFont());
    shadowed(name, c.y() + OrbitMap::kSunNameDy, 0.8);
    return image;
}

QImage planet(const PlanetLook& look, const Palette& palette, qreal ratio)
{
    const double R = look.radius;
    const double reach = planetReach(R);
    QImage image = clearImage(QSizeF(2 * reach, 2 * reach), ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPointF p(reach, reach);
    const double light = look.light;

    QRadialGradient halo(p, 1.8 * R);
    halo.setColorAt(0.5 / 1.8, withAlpha(palette.primary, 0.22 * light));
    halo.setColorAt(1.0, withAlpha(palette.primary, 0.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(halo);
    painter.drawEllipse(p, 1.8 * R, 1.8 * R);

    // The disc, dimmer at the back, with a soft light from the upper left.
    const QColor base = look.isDir ? palette.primary : kFileColor;
    QRadialGradient disc(p - QPointF(R * 0.4, R * 0.4), R * 1.6);
    disc.setColorAt(0.0, base.lighter(125));
    disc.setColorAt(1.0, base.darker(int(150 + (1 - light) * 60)));
    painter.setBrush(disc);
    painter.drawEllipse(p, R, R);

    if (look.ringed) {
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
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(withAlpha(palette.glow, 0.8 * light), 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(ring);
    }

    if (look.selected || look.hovered) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(look.selected ? QPen(Qt::white, 2) : QPen(withAlpha(Qt::white, 0.5), 1));
        painter.drawEllipse(p, R + 4, R + 4);
    }

    if (look.ignored)
        lockBadge(&painter, p + QPointF(0.72 * R, -0.72 * R), std::clamp(0.38 * R + 2.5, 5.0, 8.0), palette);
    return image;
}

QImage label(const LabelLook& look, QSizeF boxSize, const Palette& palette, qreal ratio)
{
    QImage image = clearImage(boxSize + QSizeF(2 * kLabelPad, 2 * kLabelPad), ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const double x = kLabelPad + boxSize.width() / 2;
    painter.setPen(withAlpha(palette.text, 0.55 + 0.45 * look.light));
    painter.setFont(labelNameFont());
    centredText(&painter, look.name, x, kLabelPad + 7);
    painter.setPen(withAlpha(palette.muted, 0.55 + 0.45 * look.light));
    painter.setFont(labelSizeFont(palette));
    centredText(&painter, look.size, x, kLabelPad + 21);
    return image;
}

} // namespace OrbitPictures
