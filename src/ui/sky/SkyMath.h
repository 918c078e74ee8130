#pragma once
// The arithmetic of the night-sky backdrop: the star field with its shooting
// star, and the nebula. Pure functions of time, size and settings, so the
// drawing items stay thin and every number here can be tested on its own.
// Time t is in seconds; only its differences and periods matter.
#include <array>
#include <optional>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QtGlobal>

class QRandomGenerator;

namespace SkyMath {

// A colour from a 0xRRGGBB number: red from bits 16-23, green 8-15, blue 0-7, opaque.
QColor colorFromHex(quint32 hex);

// An opacity held to 0...1, so bright settings never ask for more than opaque.
double clampOpacity(double opacity);

// ---- Star field ----

// One star: position as fractions of the width and height, radius in points,
// twinkle phase in radians and twinkle speed in radians per second.
struct StarPoint {
    double x = 0;
    double y = 0;
    double r = 0;
    double phase = 0;
    double speed = 0;
};

inline constexpr int starCount = 150;

// COUNT stars, each value drawn independently and uniformly from RANDOM:
// x, y in 0...1, r in 0.35...1.3, phase in 0...6.28, speed in 0.3...1.5.
std::vector<StarPoint> makeStars(QRandomGenerator& random, int count = starCount);

// The star's brightness at time t: between 0.2 and 0.8, times BRIGHTNESS.
double twinkle(const StarPoint& star, double t, double brightness);
// The opacity the star is filled with: twinkle × 0.75, held to 0...1.
double starOpacity(const StarPoint& star, double t, double brightness);
// Whether a star shown at opacity `shown` must be drawn again for `next`: a
// step smaller than kStarOpacityStep hardly shows on a point of light, and
// every star drawn again costs the renderer work over the whole scene (its
// square is checked against every other item), so the stars' twinkle takes
// five or six steps through its band.
inline constexpr double kStarOpacityStep = 1.0 / 16;
bool showsNewOpacity(double shown, double next);
// The star's centre on a WIDTH × HEIGHT canvas.
QPointF starCentre(const StarPoint& star, double width, double height);
// The small square, on whole points, that holds the star with its soft
// edge: the only area a change of its twinkle repaints.
QRectF starTile(const StarPoint& star, double width, double height);

// A shooting star crosses the sky during the first 1.1 s of every 11 s.
inline constexpr double shootingPeriod = 11.0;
inline constexpr double shootingDuration = 1.1;

struct ShootingStar {
    qint64 period = 0;       // n = floor(t / 11)
    double a = 0;            // where along the width this period's star starts, 0...1
    double b = 0;            // how far down it starts, 0...0.45
    double progress = 0;     // 0 at the start, towards 1 at the end
    QPointF head;            // the bright end
    QPointF tail;            // the faded end
    double headOpacity = 0;  // (1 − progress) × 0.85 × brightness, held to 0...1
};

// The period number of t (floor(t / 11)) and the time within it (0 ≤ local < 11).
qint64 shootingPeriodOf(double t);
double shootingLocalTime(double t);
// The pseudo-random start values of a period; the same period always gives the same pair.
double shootingA(qint64 period);
double shootingB(qint64 period);
// The shooting star at time t on a WIDTH × HEIGHT canvas, or none between crossings.
std::optional<ShootingStar> shootingStar(double t, double width, double height, double brightness);
// The area the shooting star's line covers (tail to head, with room for the
// pen's width and its round ends), on whole points.
QRectF shootingBounds(const ShootingStar& star);

// The time to the star field's next frame at time t: 24 frames a second
// while a shooting star crosses (from a frame before it starts), else 4, which
// is plenty for stars that twinkle over seconds. In milliseconds.
inline constexpr int fastFrameMs = 42;
inline constexpr int slowFrameMs = 250;
// The nebula's clouds drift a few points a second and its sparkles twinkle
// over eight seconds: a frame a second shows them moving just as well. A
// multiple of the stars' pace, so that both fall on the same frames.
inline constexpr int nebulaFrameMs = 1000;
static_assert(nebulaFrameMs % slowFrameMs == 0, "the nebula's frames fall on the stars'");
int starfieldFrameMs(double t);

// The milliseconds from NOW_MS (on the wall clock) to the next whole multiple
// of INTERVAL_MS after the one nearest now. The sky's items all count their
// frames from the same zero, so a frame of the stars and one of the nebula
// due together are drawn as one; a timer that fired a little early or late
// still waits about one interval.
int msToNextTick(qint64 nowMs, int intervalMs);

// ---- Nebula ----

// How strongly the nebula shows for DENSITY: none at or below 0.01 (or for
// a value that is not a number), 1 from density 1 up, the density in between.
std::optional<double> nebulaStrength(double density);
// The measure every nebula size is taken from: min(1.6 × height, width).
double nebulaMeasure(double width, double height);
// How far the nebula is softened: 0.07 × measure.
double nebulaBlurRadius(double measure);
// A thin nebula is wider and paler: (1 − s) × 0.5 + 1.
double nebulaSpread(double strength);

struct Blob {
    double cx = 0;      // centre as fractions of width and height
    double cy = 0;
    double factor = 0;  // radius as a fraction of the measure
    QColor color;
};

inline constexpr int blobCount = 6;
// The six coloured clouds of the nebula, back to front.
const std::array<Blob, blobCount>& nebulaBlobs();

// The slow drift of blob INDEX at time t, in fractions of the width and height.
QPointF blobDrift(int index, double t);
// A blob's radius R = factor × measure × spread.
double blobRadius(const Blob& blob, double measure, double spread);
// The ellipse of blob INDEX at time t: 3R wide, 2R high, centred on its drifted centre.
QRectF blobEllipse(int index, double t, double width, double height, double strength);
// Every blob is filled at 0.3 × strength.
double blobOpacity(double strength);

// One point of a colour ramp: POSITION along the ramp (0...1), ALPHA the
// fraction of full opacity there.
struct RampStop {
    double position = 0;
    double alpha = 0;
};

// A stand-in for blurring a solid disc of radius R by BLUR: the alpha of a
// radial ramp that runs out to R + BLUR, full inside R − BLUR, one half at R
// and nothing at the outer end, following the bell-curve profile of a blur.
std::vector<RampStop> softDiscRamp(double radius, double blur);
// The outer radius of that ramp.
double softDiscOuterRadius(double radius, double blur);

struct Sparkle {
    QRectF rect;  // 1.6 × 1.6 points, top-left at the sparkle's position
    double opacity = 0;
};

inline constexpr int sparkleCount = 40;
inline constexpr double sparkleSize = 1.6;
// Where sparkle K sits on a WIDTH × HEIGHT canvas; fixed for a given size.
QRectF sparkleRect(int k, double width, double height);
// Its opacity at time t: between 0.3 and 0.7, times the strength.
double sparkleOpacity(int k, double t, double strength);

// The mask over the whole nebula: an ellipse filling the view, opaque in the
// middle and clear from half its radius outwards.
std::array<RampStop, 3> nebulaMaskRamp();
// The part of a WIDTH × HEIGHT view the mask lets through at all; nothing
// outside it needs drawing.
QRectF nebulaVisibleRect(double width, double height);

// fract(v) = v − floor(v), always in 0...1.
double fract(double v);

} // namespace SkyMath
