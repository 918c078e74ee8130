// The sky backdrop's arithmetic: stars, the shooting star and the nebula.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include <QRandomGenerator>

#include "ui/sky/SkyMath.h"

using namespace SkyMath;

namespace {

constexpr double pi = 3.14159265358979323846;

TEST(SkyColour, HexSplitsIntoBytes)
{
    const QColor sky = colorFromHex(0x3BA7E0);
    EXPECT_EQ(sky.red(), 59);
    EXPECT_EQ(sky.green(), 167);
    EXPECT_EQ(sky.blue(), 224);
    EXPECT_EQ(sky.alpha(), 255);

    // Bits above the colour are ignored, not read as opacity.
    EXPECT_EQ(colorFromHex(0x123BA7E0), sky);
    EXPECT_EQ(nebulaBlobs()[4].color, QColor(0xF0, 0x91, 0x3A));
}

TEST(SkyStars, OneHundredFiftyStarsInTheirRanges)
{
    QRandomGenerator random(42);
    const std::vector<StarPoint> stars = makeStars(random);
    ASSERT_EQ(stars.size(), 150u);

    double lowX = 1, highX = 0, lowR = 2, highR = 0, lowSpeed = 2, highSpeed = 0;
    for (const StarPoint& star : stars) {
        EXPECT_GE(star.x, 0.0);
        EXPECT_LT(star.x, 1.0);
        EXPECT_GE(star.y, 0.0);
        EXPECT_LT(star.y, 1.0);
        EXPECT_GE(star.r, 0.35);
        EXPECT_LT(star.r, 1.3);
        EXPECT_GE(star.phase, 0.0);
        EXPECT_LT(star.phase, 6.28);
        EXPECT_GE(star.speed, 0.3);
        EXPECT_LT(star.speed, 1.5);
        lowX = std::min(lowX, star.x), highX = std::max(highX, star.x);
        lowR = std::min(lowR, star.r), highR = std::max(highR, star.r);
        lowSpeed = std::min(lowSpeed, star.speed), highSpeed = std::max(highSpeed, star.speed);
    }
    // The values fill their ranges rather than bunching in one corner.
    EXPECT_LT(lowX, 0.1);
    EXPECT_GT(highX, 0.9);
    EXPECT_LT(lowR, 0.45);
    EXPECT_GT(highR, 1.2);
    EXPECT_LT(lowSpeed, 0.4);
    EXPECT_GT(highSpeed, 1.4);
}

TEST(SkyStars, SameSeedSameSkyOtherSeedOtherSky)
{
    QRandomGenerator first(7), again(7), other(8);
    const auto a = makeStars(first);
    const auto b = makeStars(again);
    const auto c = makeStars(other);
    EXPECT_EQ(a.back().x, b.back().x);
    EXPECT_EQ(a.back().speed, b.back().speed);
    EXPECT_NE(a[0].x, c[0].x);
    EXPECT_NE(a[0].x, a[0].y);  // every value is drawn on its own
}

TEST(SkyStars, OpacityStaysWithinTheTwinkleBand)
{
    QRandomGenerator random(2024);
    const auto stars = makeStars(random);
    double lowest = 1, highest = 0;
    for (double t = 1.7e9; t < 1.7e9 + 60; t += 0.37) {
        for (const StarPoint& star : stars) {
            const double opacity = starOpacity(star, t, 0.7);
            EXPECT_GE(opacity, 0.105 - 1e-12);
            EXPECT_LE(opacity, 0.42 + 1e-12);
            lowest = std::min(lowest, opacity);
            highest = std::max(highest, opacity);
        }
    }
    // It really twinkles across the band.
    EXPECT_LT(lowest, 0.12);
    EXPECT_GT(highest, 0.40);

    // The band's ends: the wave at its crest and its trough.
    const StarPoint crest{0.5, 0.5, 1.0, pi / 2, 0.0};
    const StarPoint trough{0.5, 0.5, 1.0, -pi / 2, 0.0};
    EXPECT_NEAR(twinkle(crest, 0, 1.0), 0.8, 1e-12);
    EXPECT_NEAR(twinkle(trough, 0, 1.0), 0.2, 1e-12);
    EXPECT_NEAR(starOpacity(crest, 0, 0.7), 0.42, 1e-12);
    EXPECT_NEAR(starOpacity(trough, 0, 0.7), 0.105, 1e-12);
    // A very bright sky never asks for more than opaque.
    EXPECT_EQ(starOpacity(crest, 0, 5.0), 1.0);
    // Speed is in radians per second: a quarter turn later the crest is mid-band.
    const StarPoint moving{0.5, 0.5, 1.0, pi / 2, 1.0};
    EXPECT_NEAR(twinkle(moving, pi / 2, 1.0), 0.5, 1e-12);

    EXPECT_EQ(starCentre(StarPoint{0.25, 0.75, 1, 0, 1}, 800, 400), QPointF(200, 300));
}

TEST(SkyShootingStar, OnlyDuringTheFirstOnePointOneSecondsOfEachPeriod)
{
    for (double t : {0.0, 0.5, 1.0999, 11.0, 11.5, 12.0999, -11.0})
        EXPECT_TRUE(shootingStar(t, 800, 600, 1.0).has_value()) << t;
    for (double t : {1.1, 1.2, 5.0, 10.999, 11.0 + 5.5, -0.5})
        EXPECT_FALSE(shootingStar(t, 800, 600, 1.0).has_value()) << t;
    EXPECT_FALSE(shootingStar(std::nan(""), 800, 600, 1.0).has_value());
    EXPECT_FALSE(shootingStar(std::numeric_limits<double>::infinity(), 800, 600, 1.0).has_value());

    EXPECT_EQ(shootingPeriodOf(0.0), 0);
    EXPECT_EQ(shootingPeriodOf(10.99), 0);
    EXPECT_EQ(shootingPeriodOf(11.0), 1);
    EXPECT_EQ(shootingPeriodOf(-0.5), -1);
    EXPECT_NEAR(shootingLocalTime(-0.5), 10.5, 1e-12);
    EXPECT_NEAR(shootingLocalTime(23.5), 1.5, 1e-12);
    // Today's clock, far from the epoch, still lands inside the period.
    const double today = 1.7e9 + 0.25;
    EXPECT_GE(shootingLocalTime(today), 0.0);
    EXPECT_LT(shootingLocalTime(today), 11.0);
}

TEST(SkyShootingStar, StartsAtItsStartPointAndFadesAsItRuns)
{
    const double w = 1000, h = 500, length = 0.18 * w;
    const qint64 n = 154545454;  // a period of this decade
    const double start = 11.0 * n;

    const auto first = shootingStar(start, w, h, 0.7);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->period, n);
    EXPECT_EQ(first->progress, 0.0);
    const QPointF startPoint((first->a * 0.6 + 0.1) * w, first->b * h);
    EXPECT_NEAR(first->head.x(), startPoint.x(), 1e-9);
    EXPECT_NEAR(first->head.y(), startPoint.y(), 1e-9);
    EXPECT_NEAR(first->headOpacity, 0.85 * 0.7, 1e-12);
    EXPECT_NEAR(first->tail.x(), first->head.x() - 0.55 * length, 1e-9);
    EXPECT_NEAR(first->tail.y(), first->head.y() - 0.2 * length, 1e-9);
    // It starts in the upper 45 % of the sky, between 10 % and 70 % of the width.
    EXPECT_GE(first->head.x(), 0.1 * w);
    EXPECT_LE(first->head.x(), 0.7 * w);
    EXPECT_GE(first->head.y(), 0.0);
    EXPECT_LT(first->head.y(), 0.45 * h);

    // Half-way it has moved right and a little down, at half the opacity.
    const auto half = shootingStar(start + 0.55, w, h, 0.7);
    ASSERT_TRUE(half.has_value());
    EXPECT_NEAR(half->progress, 0.5, 1e-6);
    EXPECT_NEAR(half->head.x() - first->head.x(), 1.6 * length * 0.5, 1e-3);
    EXPECT_NEAR(half->head.y() - first->head.y(), 0.6 * length * 0.5, 1e-3);
    EXPECT_NEAR(half->headOpacity, 0.5 * 0.85 * 0.7, 1e-6);

    // A bright sky's shooting star is opaque at most.
    EXPECT_EQ(shootingStar(start, w, h, 1.6)->headOpacity, 1.0);
}

TEST(SkyShootingStar, EachPeriodHasItsOwnFixedPath)
{
    const qint64 n = 154545454;
    const auto early = shootingStar(11.0 * n + 0.1, 800, 600, 1.0);
    const auto late = shootingStar(11.0 * n + 1.0, 800, 600, 1.0);
    ASSERT_TRUE(early && late);
    EXPECT_EQ(early->a, late->a);
    EXPECT_EQ(early->b, late->b);
    EXPECT_EQ(shootingA(n), early->a);
    EXPECT_EQ(shootingB(n), early->b);

    const auto next = shootingStar(11.0 * (n + 1) + 0.1, 800, 600, 1.0);
    ASSERT_TRUE(next.has_value());
    EXPECT_NE(next->head, early->head);

    // Across many periods the paths differ and stay within their ranges.
    std::set<std::pair<double, double>> paths;
    for (qint64 k = n; k < n + 200; ++k) {
        const double a = shootingA(k), b = shootingB(k);
        EXPECT_GE(a, 0.0);
        EXPECT_LT(a, 1.0);
        EXPECT_GE(b, 0.0);
        EXPECT_LT(b, 0.45);
        paths.insert({a, b});
    }
    EXPECT_EQ(paths.size(), 200u);
}

TEST(SkyNebula, StrengthFromDensity)
{
    for (double none : {0.0, 0.01, -0.5, std::nan(""), -std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(nebulaStrength(none).has_value()) << none;
    EXPECT_DOUBLE_EQ(*nebulaStrength(0.0101), 0.0101);
    EXPECT_DOUBLE_EQ(*nebulaStrength(0.5), 0.5);
    EXPECT_DOUBLE_EQ(*nebulaStrength(1.0), 1.0);
    EXPECT_DOUBLE_EQ(*nebulaStrength(5.0), 1.0);
    EXPECT_DOUBLE_EQ(*nebulaStrength(std::numeric_limits<double>::infinity()), 1.0);

    // A density of 5 draws exactly like a density of 1.
    const double s5 = *nebulaStrength(5.0), s1 = *nebulaStrength(1.0);
    for (int i = 0; i < blobCount; ++i)
        EXPECT_EQ(blobEllipse(i, 12.5, 640, 360, s5), blobEllipse(i, 12.5, 640, 360, s1));
    EXPECT_EQ(blobOpacity(s5), blobOpacity(s1));
    EXPECT_EQ(sparkleOpacity(3, 12.5, s5), sparkleOpacity(3, 12.5, s1));
}

TEST(SkyNebula, BlobsAreThreeToTwoEllipsesThatDriftSlightly)
{
    // Blob 0 at t = 0 on 1000 × 500: measure 800, R = 0.3 × 800 = 240.
    const QRectF first = blobEllipse(0, 0.0, 1000, 500, 1.0);
    EXPECT_NEAR(first.width(), 720, 1e-9);
    EXPECT_NEAR(first.height(), 480, 1e-9);
    EXPECT_NEAR(first.center().x(), 0.28 * 1000, 1e-9);           // sin(0) = 0
    EXPECT_NEAR(first.center().y(), (0.48 + 0.03) * 500, 1e-9);   // cos(0) = 1

    // Blob 2 at t = 10: drift (sin(2.6 + 1.2) × 0.035, cos(3.4 + 1.0) × 0.03).
    const QRectF third = blobEllipse(2, 10.0, 1000, 500, 1.0);
    EXPECT_NEAR(third.center().x(), (0.72 + std::sin(3.8) * 0.035) * 1000, 1e-9);
    EXPECT_NEAR(third.center().y(), (0.58 + std::cos(4.4) * 0.03) * 500, 1e-9);

    // On a tall view the width sets the size; a thin nebula spreads wider.
    EXPECT_NEAR(blobEllipse(0, 0.0, 400, 1000, 1.0).height(), 2 * 0.3 * 400, 1e-9);
    const QRectF thin = blobEllipse(0, 0.0, 1000, 500, 0.2);
    EXPECT_NEAR(thin.height(), 480 * 1.4, 1e-9);
    EXPECT_EQ(thin.center(), first.center());

    for (double t = 0; t < 200; t += 3.3) {
        for (int i = 0; i < blobCount; ++i) {
            const QPointF drift = blobDrift(i, t);
            EXPECT_LE(std::abs(drift.x()), 0.035);
            EXPECT_LE(std::abs(drift.y()), 0.03);
        }
    }
    EXPECT_NE(blobDrift(0, 0), blobDrift(1, 0));
}

TEST(SkyNebula, SoftEdgeRampFallsFromFullToClear)
{
    const double radius = 200, blur = 40;
    const auto ramp = softDiscRamp(radius, blur);
    ASSERT_GE(ramp.size(), 3u);
    EXPECT_EQ(ramp.front().position, 0.0);
    EXPECT_EQ(ramp.front().alpha, 1.0);
    EXPECT_EQ(ramp.back().position, 1.0);
    EXPECT_EQ(ramp.back().alpha, 0.0);
    EXPECT_DOUBLE_EQ(softDiscOuterRadius(radius, blur), 240);
    for (std::size_t i = 1; i < ramp.size(); ++i) {
        EXPECT_GT(ramp[i].position, ramp[i - 1].position);
        EXPECT_LE(ramp[i].alpha, ramp[i - 1].alpha);
    }
    // Full inside R − blur, half at the edge of the disc.
    for (const RampStop& stop : ramp) {
        if (std::abs(stop.position - 160.0 / 240.0) < 1e-9) {
            EXPECT_DOUBLE_EQ(stop.alpha, 1.0);
        }
        if (std::abs(stop.position - 200.0 / 240.0) < 1e-9) {
            EXPECT_NEAR(stop.alpha, 0.5, 1e-9);
        }
    }

    // No blur: a hard disc. A disc smaller than its blur still ramps down in order.
    const auto hard = softDiscRamp(radius, 0);
    ASSERT_EQ(hard.size(), 2u);
    EXPECT_EQ(hard.back().alpha, 1.0);
    const auto tiny = softDiscRamp(5, 40);
    EXPECT_EQ(tiny.back().position, 1.0);
    for (std::size_t i = 1; i < tiny.size(); ++i) {
        EXPECT_GT(tiny[i].position, tiny[i - 1].position);
        EXPECT_LE(tiny[i].alpha, tiny[i - 1].alpha);
        EXPECT_GE(tiny[i].alpha, 0.0);
    }
}

TEST(SkyNebula, FortyFixedSparklesAndTheVisibleMiddle)
{
    std::set<std::pair<double, double>> places;
    for (int k = 0; k < sparkleCount; ++k) {
        const QRectF rect = sparkleRect(k, 640, 360);
        EXPECT_EQ(rect.size(), QSizeF(1.6, 1.6));
        EXPECT_GE(rect.x(), 0.0);
        EXPECT_LT(rect.x(), 640.0);
        EXPECT_GE(rect.y(), 0.0);
        EXPECT_LT(rect.y(), 360.0);
        places.insert({rect.x(), rect.y()});
        for (double t = 0; t < 30; t += 0.7) {
            const double opacity = sparkleOpacity(k, t, 0.5);
            EXPECT_GE(opacity, 0.3 * 0.5 - 1e-12);
            EXPECT_LE(opacity, 0.7 * 0.5 + 1e-12);
        }
    }
    EXPECT_EQ(places.size(), 40u);
    // Sparkle 0 sits in the top-left corner (sin 0 = 0); the sparkles twinkle at 0.8 rad/s.
    EXPECT_EQ(sparkleRect(0, 640, 360).topLeft(), QPointF(0, 0));
    EXPECT_NEAR(sparkleOpacity(0, 0, 1.0), 0.5, 1e-12);
    EXPECT_NEAR(sparkleOpacity(0, pi / 1.6, 1.0), 0.7, 1e-12);

    // The mask is clear from half its radius out: only the middle needs drawing.
    EXPECT_EQ(nebulaMaskRamp().back().alpha, 0.0);
    EXPECT_EQ(nebulaVisibleRect(800, 400), QRectF(200, 100, 400, 200));
}

} // namespace
