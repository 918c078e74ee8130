#pragma once
// The orbit map's geometry: the folder is a sun, its largest children planets
// on three flattened orbits (biggest nearest the sun), turning slowly. Pure
// functions of the entries, the view's size and the time, shared by the
// drawing and by the hit test so that what is hit is what is on screen.
#include <array>
#include <optional>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "space/SizeEntry.h"

namespace OrbitMap {

inline constexpr int kMaxBodies = 12;

// One child on its orbit, independent of time.
struct OrbitBody {
    SizeEntry entry;
    double r = 0;      // radius in points before depth scaling
    int orbit = 0;     // 0 innermost … 2 outermost
    double phase = 0;  // angle at time 0, radians
    int rank = 0;      // 0 for the largest child
};

// A body at one moment.
struct OrbitPlaced {
    OrbitBody body;
    QPointF p;          // centre in view coordinates
    double depth = 0;   // sine of the angle: > 0 front half (below the centre line), < 0 back half
    double scale = 1;   // applied to r for drawing and hit testing
};

struct Layout {
    QPointF center;
    double sunRadius = 0;
    std::vector<OrbitPlaced> placed;  // in the order of the bodies
    std::array<QSizeF, 3> orbits;     // semi-axes (horizontal, vertical) by ring
};

// The rings' planet counts, speeds (radians per second) and size factors.
inline constexpr std::array<int, 3> kRingCounts = {3, 4, 5};
inline constexpr std::array<double, 3> kRingSpeeds = {0.11, 0.07, 0.045};
inline constexpr std::array<double, 3> kRingFactors = {0.42, 0.7, 0.97};

// The planets: the 12 largest entries above 0 bytes, largest first (equal
// sizes in list order), 3 on the inner ring, 4 on the middle, 5 outside.
std::vector<OrbitBody> bodies(const std::vector<SizeEntry>& entries);

// Where everything is in a view of `size` at `t` seconds.
Layout layout(const std::vector<OrbitBody>& bodies, QSizeF size, double t);

// The index (into `placed`) of the planet under `point`: the frontmost whose
// centre lies within r·scale + 4 points (the boundary counts as inside).
std::optional<std::size_t> hitIndex(const std::vector<OrbitPlaced>& placed, QPointF point);

// The entry of the planet under `point` in a view of `size` at `t` seconds.
std::optional<SizeEntry> hit(const std::vector<OrbitBody>& bodies, QPointF point, QSizeF size, double t);

// Whether a click at `point` that hit no planet lands on the sun's target
// (closer to the centre than a tenth of the view's smaller side).
bool hitsCenter(QPointF point, QSizeF size);

// The label form of a name: more than 18 characters become the first 16 and "…".
QString shortName(const QString& name);

// Milliseconds between frames in a view of `size`: 250, 125 or 50, whole
// fractions of the quarter second the sky twinkles on, so that the map's
// frames carry the stars' too; the longest in which the fastest planet moves
// at most kMostPointsPerFrame (the map moves its pictures by whole pixels).
inline constexpr double kMostPointsPerFrame = 1.5;
int frameInterval(QSizeF size);

// The order of drawing: the planets behind the sun (depth < 0) or in front of
// it, each from the smallest depth to the largest; indexes into `placed`.
std::vector<std::size_t> drawOrder(const std::vector<OrbitPlaced>& placed, bool front);

// The sun's two lines of text: the total this far above the centre, the
// folder's name this far below it (the middles of the lines).
inline constexpr double kSunTotalDy = -7;
inline constexpr double kSunNameDy = 9;

// The box the sun's two lines take, given the size of each line of text.
QRectF sunLabelRect(QPointF center, QSizeF total, QSizeF name);

// A planet's label as the drawing wants it: the planet (an index into
// `placed`), the size of its two lines of text (name over size), and whether
// the planet is under the pointer or selected.
struct LabelWish {
    std::size_t planet = 0;
    QSizeF size;
    bool hovered = false;
    bool selected = false;
};

struct LabelSpot {
    std::size_t planet = 0;
    QRectF rect;
};

// Where the labels go this frame, none over another or over the sun's label
// and all inside a view of `size`. The hovered planet comes first, then the
// selected ones, then by rank; each label takes the first free place beside
// its planet (below, above, after, before), one that covers no other planet
// where there is one, and is left out where none is free.
std::vector<LabelSpot> placeLabels(const std::vector<OrbitPlaced>& placed, std::vector<LabelWish> wishes,
                                   QRectF sunLabel, QSizeF size);

} // namespace OrbitMap
