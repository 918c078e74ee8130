#pragma once
// The pictures the orbit map is made of, each drawn once into an image and
// then only moved about: the card with its three rings, the sun with its total
// and name, a planet as it looks at one depth, and a planet's two-line label.
// A planet's look is held to steps too small to see (a quarter point of
// radius, a thirty-second of light), so that a turning planet is drawn anew
// only now and then and otherwise just moves.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include "space/OrbitLayout.h"

namespace OrbitPictures {

struct Palette {
    QColor primary;
    QColor glow;
    QColor text;
    QColor muted;
    QColor surface;  // the card under the map
    QString monoFamily;
};

// Everything a planet's picture depends on.
struct PlanetLook {
    double radius = 0;  // points, on quarter points
    double light = 0;   // 0.5 at the very back to 1 at the very front, on thirty-seconds
    bool isDir = false;
    bool ringed = false;  // the largest planet wears a ring
    bool selected = false;
    bool hovered = false;
    bool ignored = false;  // on the never-touch list: a small lock on its shoulder
    bool operator==(const PlanetLook&) const = default;
};

// The light of a planet at DEPTH (−1 at the back, 1 at the front), on thirty-seconds.
double lightAt(double depth);
PlanetLook planetLook(const OrbitMap::OrbitPlaced& planet, bool selected, bool hovered, bool ignored);
// How far a planet's picture reaches from its centre (halo, ring, the
// highlight circle and the lock badge, with a point for the soft edge).
double planetReach(double radius);

// A label's two lines (the name over the size) and their light.
struct LabelLook {
    QString name;
    QString size;
    double light = 0;  // on thirty-seconds
    bool operator==(const LabelLook&) const = default;
};
// How far a label's picture reaches beyond its box on each side, for glyphs
// that stand out of their advance.
inline constexpr double kLabelPad = 3;

QFont sunTotalFont(const Palette& palette);
QFont sunNameFont();
QFont labelNameFont();
QFont labelSizeFont(const Palette& palette);

// The card's surface with the three rings, for a map of SIZE; opaque.
QImage backdrop(QSizeF size, const OrbitMap::Layout& layout, const Palette& palette, qreal ratio);
// The box of the sun's two lines of text.
QRectF sunLabel(const OrbitMap::Layout& layout, const QString& total, const QString& name, const Palette& palette);
// The area the sun's picture covers in the map: its corona and its two lines.
QRectF sunArea(const OrbitMap::Layout& layout, const QString& total, const QString& name, const Palette& palette);
// The sun with its total and folder name, drawn over AREA (from sunArea).
QImage sun(const OrbitMap::Layout& layout, const QString& total, const QString& name, const Palette& palette,
           QRectF area, qreal ratio);
// A planet, centred in a square of twice its reach; an ignored one wears a
// lock badge on its upper right shoulder.
QImage planet(const PlanetLook& look, const Palette& palette, qreal ratio);
// A label for a box of BOX_SIZE, with kLabelPad more on every side.
QImage label(const LabelLook& look, QSizeF boxSize, const Palette& palette, qreal ratio);

} // namespace OrbitPictures
