#include "ui/sky/SkyMath.h"

#include <algorithm>
#include <cmath>

#include <QRandomGenerator>

namespace SkyMath {

double fract(double v)
{
    return v - std::floor(v);
}

QColor colorFromHex(quint32 hex)
{
    return QColor::fromRgbF(((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f,
                            1.0f);
}

double clampOpacity(double opacity)
{
    if (std::isnan(opacity))
        return 0.0;
    return std::clamp(opacity, 0.0, 1.0);
}

// ---- Star field ----

namespace {

double uniform(QRandomGenerator& random, double low, double high)
{
    return low + (high - low) * random.generateDouble();
}

} // namespace

std::vector<StarPoint> makeStars(QRandomGenerator& random, int count)
{
    std::vector<StarPoint> stars;
    stars.reserve(std::max(count, 0));
    for (int i = 0; i < count; ++i) {
        StarPoint star;
        star.x = uniform(random, 0.0, 1.0);
        star.y = uniform(random, 0.0, 1.0);
        star.r = uniform(random, 0.35, 1.3);
        star.phase = uniform(random, 0.0, 6.28);
        star.speed = uniform(random, 0.3, 1.5);
        stars.push_back(star);
    }
    return stars;
}

double twinkle(const StarPoint& star, double t, double brightness)
{
    const double wave = std::sin(star.speed * t + star.phase) * 0.5 + 0.5;  // 0...1
    return (wave * 0.6 + 0.2) * brightness;
}

double starOpacity(const StarPoint& star, double t, double brightness)
{
    return clampOpacity(twinkle(star, t, brightness) * 0.75);
}

bool showsNewOpacity(double shown, double next)
{
    return std::abs(next - shown) >= kStarOpacityStep || (next != shown && (next <= 0 || next >= 1));
}

QPointF starCentre(const StarPoint& star, double width, double height)
{
    return {star.x * width, star.y * height};
}

QRectF starTile(const StarPoint& star, double width, double height)
{
    const QPointF c = starCentre(star, width, height);
    const double reach = star.r + 1.0;  // one point for the anti-aliased edge
    const double left = std::floor(c.x() - reach);
    const double top = std::floor(c.y() - reach);
    return {left, top, std::ceil(c.x() + reach) - left, std::ceil(c.y() + reach) - top};
}

qint64 shootingPeriodOf(double t)
{
    if (!std::isfinite(t))
        return 0;
    return static_cast<qint64>(std::floor(t / shootingPeriod));
}

double shootingLocalTime(double t)
{
    if (!std::isfinite(t))
        return shootingPeriod;  // never inside a crossing
    const double local = t - shootingPeriod * std::floor(t / shootingPeriod);
    // Rounding can land a hair outside the period; keep 0 ≤ local < 11.
    return std::clamp(local, 0.0, std::nextafter(shootingPeriod, 0.0));
}

double shootingA(qint64 period)
{
    return fract(std::sin(static_cast<double>(period) * 12.9898) * 43758.5453);
}

double shootingB(qint64 period)
{
    return fract(std::sin(static_cast<double>(period) * 78.233) * 12345.678) * 0.45;
}

std::optional<ShootingStar> shootingStar(double t, double width, double height, double brightness)
{
    const double local = shootingLocalTime(t);
    if (!(local < shootingDuration))
        return std::nullopt;

    ShootingStar star;
    star.period = shootingPeriodOf(t);
    star.a = shootingA(star.period);
    star.b = shootingB(star.period);
    star.progress = local / shootingDuration;

    const double length = 0.18 * width;
    star.head = QPointF((star.a * 0.6 + 0.1) * width + 1.6 * length * star.progress,
                        star.b * height + 0.6 * length * star.progress);
    star.tail = star.head + QPointF(-0.55 * length, -0.2 * length);
    star.headOpacity = clampOpacity((1.0 - star.progress) * 0.85 * brightness);
    return star;
}

// ---- Nebula ----

std::optional<double> nebulaStrength(double density)
{
    if (std::isnan(density) || density <= 0.01)
        return std::nullopt;
    return std::min(density, 1.0);
}

double nebulaMeasure(double width, double height)
{
    return std::min(1.6 * height, width);
}

double nebulaBlurRadius(double measure)
{
    return 0.07 * measure;
}

double nebulaSpread(double strength)
{
    return (1.0 - strength) * 0.5 + 1.0;
}

const std::array<Blob, blobCount>& nebulaBlobs()
{
    static const std::array<Blob, blobCount> blobs = {{
        {0.28, 0.48, 0.30, colorFromHex(0x8B5CF6)},
        {0.52, 0.38, 0.26, colorFromHex(0xE24FD6)},
        {0.72, 0.58, 0.30, colorFromHex(0x6E73E8)},
        {0.44, 0.66, 0.22, colorFromHex(0x3BA7E0)},
        {0.64, 0.28, 0.17, colorFromHex(0xF0913A)},
        {0.86, 0.40, 0.18, colorFromHex(0x9498F2)},
    }};
    return blobs;
}

QPointF blobDrift(int index, double t)
{
    return {std::sin(index * 1.3 + 0.12 * t) * 0.035, std::cos(index * 1.7 + 0.1 * t) * 0.03};
}

double blobRadius(const Blob& blob, double measure, double spread)
{
    return blob.factor * measure * spread;
}

QRectF blobEllipse(int index, double t, double width, double height, double strength)
{
    const Blob& blob = nebulaBlobs().at(static_cast<std::size_t>(index));
    const double radius = blobRadius(blob, nebulaMeasure(width, height), nebulaSpread(strength));
    const QPointF drift = blobDrift(index, t);
    const QPointF centre((blob.cx + drift.x()) * width, (blob.cy + drift.y()) * height);
    const QSizeF size(3.0 * radius, 2.0 * radius);
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
}

double blobOpacity(double strength)
{
    return 0.3 * strength;
}

double softDiscOuterRadius(double radius, double blur)
{
    return radius + std::max(blur, 0.0);
}

std::vector<RampStop> softDiscRamp(double radius, double blur)
{
    if (!(blur > 0.0) || !(radius > 0.0))
        return {{0.0, 1.0}, {1.0, 1.0}};  // a hard-edged disc

    // A blurred edge follows the bell curve's cumulative profile; take the
    // spread of the bell as half the blur radius and stretch the profile so it
    // is exactly full at R − blur and exactly clear at R + blur.
    const double sigma = blur / 2.0;
    const auto edge = [sigma](double d) { return 0.5 * std::erfc(d / (sigma * std::sqrt(2.0))); };
    const double full = edge(-blur);
    const double clear = edge(blur);
    const double outer = softDiscOuterRadius(radius, blur);

    std::vector<RampStop> ramp;
    ramp.push_back({0.0, 1.0});
    constexpr int samples = 9;
    for (int i = 0; i < samples; ++i) {
        const double d = -blur + 2.0 * blur * i / (samples - 1);
        const double position = std::max((radius + d) / outer, 0.0);
        const double alpha = std::clamp((edge(d) - clear) / (full - clear), 0.0, 1.0);
        if (position <= ramp.back().position)
            ramp.back().alpha = std::min(ramp.back().alpha, alpha);  // a disc smaller than its blur
        else
            ramp.push_back({position, alpha});
    }
    ramp.back() = {1.0, 0.0};
    return ramp;
}

QRectF sparkleRect(int k, double width, double height)
{
    const double x = fract(std::sin(k * 91.7) * 4375.85) * width;
    const double y = fract(std::sin(k * 17.3) * 9311.21) * height;
    return QRectF(x, y, sparkleSize, sparkleSize);
}

double sparkleOpacity(int k, double t, double strength)
{
    const double slow = 0.8 * t;
    return ((std::sin(k + slow) * 0.5 + 0.5) * 0.4 + 0.3) * strength;
}

std::array<RampStop, 3> nebulaMaskRamp()
{
    return {{{0.0, 1.0}, {0.35, 0.85}, {0.5, 0.0}}};
}

QRectF nebulaVisibleRect(double width, double height)
{
    const double reach = nebulaMaskRamp().back().position;  // clear from here out
    const double rx = reach * width / 2;
    const double ry = reach * height / 2;
    return QRectF(width / 2 - rx, height / 2 - ry, 2 * rx, 2 * ry);
}

int starfieldFrameMs(double t)
{
    const double local = shootingLocalTime(t);
    const double lead = slowFrameMs / 1000.0;
    return local < shootingDuration || local > shootingPeriod - lead ? fastFrameMs : slowFrameMs;
}

int msToNextTick(qint64 nowMs, int intervalMs)
{
    const qint64 interval = std::max(intervalMs, 1);
    // The tick nearest now is the one this frame belongs to, even when its timer fired early.
    const qint64 nearest = (nowMs + interval / 2) / interval;
    return int((nearest + 1) * interval - nowMs);
}

QRectF shootingBounds(const ShootingStar& star)
{
    const double pad = 2.0;  // half the pen, its round cap and the anti-aliased edge
    const double left = std::floor(std::min(star.tail.x(), star.head.x()) - pad);
    const double top = std::floor(std::min(star.tail.y(), star.head.y()) - pad);
    const double right = std::ceil(std::max(star.tail.x(), star.head.x()) + pad);
    const double bottom = std::ceil(std::max(star.tail.y(), star.head.y()) + pad);
    return {left, top, right - left, bottom - top};
}

} // namespace SkyMath
