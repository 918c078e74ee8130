// The sky backdrop's arithmetic: stars, the shooting star and the nebula.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include <QRandomGenerator>

#include "ui/sky/SkyMath.h"

using namespace SkyMath;

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr qint64 aPeriod = 154545454;  // a shooting-star period of this decade

// Positions rise strictly, alpha never rises and stays within 0...1.
void expectFalling(const std::vector<RampStop>& ramp)
{
    for (std::size_t i = 1; i < ramp.size(); ++i) {
        EXPECT_GT(ramp[i].position, ramp[i - 1].position);
        EXPECT_LE(ramp[i].alpha, ramp[i - 1].alpha);
        EXPECT_GE(ramp[i].alpha, 0.0);
    }
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
            lowest = std::min(lowest, opacity), highest = std::max(highest, opacity);
        }
    }
    EXPECT_LT(lowest, 0.12);  // it really twinkles across the band
    EXPECT_GT(highest, 0.40);

    // The band's ends: the wave at its crest and its trough.
    const StarPoint crest{0.5, 0.5, 1.0, pi / 2, 0.0}, trough{0.5, 0.5, 1.0, -pi / 2, 0.0};
    EXPECT_NEAR(twinkle(crest, 0, 1.0), 0.8, 1e-12);
    EXPECT_NEAR(twinkle(trough, 0, 1.0), 0.2, 1e-12);
    EXPECT_NEAR(starOpacity(crest, 0, 0.7), 0.42, 1e-12);
    EXPECT_NEAR(starOpacity(trough, 0, 0.7), 0.105, 1e-12);
    EXPECT_EQ(starOpacity(crest, 0, 5.0), 1.0);  // never more than opaque
    // Speed is in radians per second: a quarter turn later the crest is mid-band.
    EXPECT_NEAR(twinkle(StarPoint{0.5, 0.5, 1.0, pi / 2, 1.0}, pi / 2, 1.0), 0.5, 1e-12);
    EXPECT_EQ(starCentre(StarPoint{0.25, 0.75, 1, 0, 1}, 800, 400), QPointF(200, 300));
}

TEST(SkyStars, OnlyAVisibleStepDrawsAStarAgain)
{
    EXPECT_FALSE(showsNewOpacity(0.30, 0.31));  // too small to see
    EXPECT_TRUE(showsNewOpacity(0.30, 0.30 + kStarOpacityStep));
    EXPECT_TRUE(showsNewOpacity(0.30, 0.30 - kStarOpacityStep));
    EXPECT_TRUE(showsNewOpacity(0.01, 0.0));  // the band's ends are always reached
    EXPECT_TRUE(showsNewOpacity(0.99, 1.0));
    EXPECT_FALSE(showsNewOpacity(1.0, 1.0));
    // At the sky's pace a star still moves through its whole band.
    const StarPoint star{0.5, 0.5, 1.0, 0.0, 1.5};
    double shown = starOpacity(star, 0, 0.7), lowest = shown, highest = shown;
    for (double t = 0; t < 10; t += slowFrameMs / 1000.0) {
        if (showsNewOpacity(shown, starOpacity(star, t, 0.7)))
            shown = starOpacity(star, t, 0.7);
        lowest = std::min(lowest, shown), highest = std::max(highest, shown);
    }
    EXPECT_LT(lowest, 0.105 + kStarOpacityStep);
    EXPECT_GT(highest, 0.42 - kStarOpacityStep);
}

TEST(SkyShootingStar, OnlyDuringTheFirstOnePointOneSecondsOfEachPeriod)
{
    for (double t : {0.0, 0.5, 1.0999, 11.0, 11.5, 12.0999, -11.0})
        EXPECT_TRUE(shootingStar(t, 800, 600, 1.0).has_value()) << t;
    for (double t : {1.1, 1.2, 5.0, 10.999, 16.5, -0.5, std::nan(""), inf})
        EXPECT_FALSE(shootingStar(t, 800, 600, 1.0).has_value()) << t;

    EXPECT_EQ(shootingPeriodOf(10.99), 0);
    EXPECT_EQ(shootingPeriodOf(11.0), 1);
    EXPECT_EQ(shootingPeriodOf(-0.5), -1);
    EXPECT_NEAR(shootingLocalTime(-0.5), 10.5, 1e-12);
    EXPECT_NEAR(shootingLocalTime(23.5), 1.5, 1e-12);
    // Today's clock, far from the epoch, still lands inside the period.
    const double today = shootingLocalTime(1.7e9 + 0.25);
    EXPECT_TRUE(today >= 0.0 && today < 11.0) << today;
}

TEST(SkyShootingStar, FramesAreFastOnlyAroundACrossing)
{
    // every frame of a crossing is drawn at full pace, from a frame before it starts;
    // the quiet rest of the period twinkles slowly
    for (double t : {22.0 - 0.1, 22.0, 22.0 + 1.05})
        EXPECT_EQ(starfieldFrameMs(t), fastFrameMs) << t;
    for (double t : {22.0 + 1.2, 22.0 + 6.0, 33.0 - 0.3})
        EXPECT_EQ(starfieldFrameMs(t), slowFrameMs) << t;
}

TEST(SkyFrames, EveryPaceTicksOnTheSameWallClockMultiples)
{
    // from anywhere in an interval to the next multiple; a timer that fired a
    // little early or late still waits about one whole interval
    EXPECT_EQ(msToNextTick(1'000'010, 250), 240);
    EXPECT_EQ(msToNextTick(1'000'249, 250), 251);
    EXPECT_EQ(msToNextTick(1'000'000, 250), 250);
    EXPECT_EQ(msToNextTick(1'000'100, 250), 150);
    EXPECT_EQ(msToNextTick(1'000'130, 250), 370);  // past the middle: the next tick is the nearest
    // the nebula's once a second falls on every fourth frame of the stars
    const qint64 now = 1'765'000'000'123;
    EXPECT_EQ((now + msToNextTick(now, nebulaFrameMs)) % slowFrameMs, 0);
    EXPECT_GT(msToNextTick(now, 0), 0);
}

TEST(SkyShootingStar, StartsAtItsStartPointFadesAsItRunsAndKeepsItsPath)
{
    const double w = 1000, h = 500, length = 0.18 * w, start = 11.0 * aPeriod;
    const auto first = shootingStar(start, w, h, 0.7);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->period, aPeriod);
    EXPECT_EQ(first->progress, 0.0);
    EXPECT_NEAR(first->head.x(), (first->a * 0.6 + 0.1) * w, 1e-9);
    EXPECT_NEAR(first->head.y(), first->b * h, 1e-9);
    EXPECT_NEAR(first->headOpacity, 0.85 * 0.7, 1e-12);
    EXPECT_NEAR(first->tail.x(), first->head.x() - 0.55 * length, 1e-9);
    EXPECT_NEAR(first->tail.y(), first->head.y() - 0.2 * length, 1e-9);

    // Half-way it has moved right and a little down, at half the opacity.
    const auto half = shootingStar(start + 0.55, w, h, 0.7);
    ASSERT_TRUE(half.has_value());
    EXPECT_NEAR(half->progress, 0.5, 1e-6);
    EXPECT_NEAR(half->head.x() - first->head.x(), 1.6 * length * 0.5, 1e-3);
    EXPECT_NEAR(half->head.y() - first->head.y(), 0.6 * length * 0.5, 1e-3);
    EXPECT_NEAR(half->headOpacity, 0.5 * 0.85 * 0.7, 1e-6);
    EXPECT_EQ(shootingStar(start, w, h, 1.6)->headOpacity, 1.0);  // opaque at most

    // The path is fixed for the whole crossing and differs in the next period.
    const auto late = shootingStar(start + 1.0, w, h, 0.7);
    const auto next = shootingStar(start + 11.0, w, h, 0.7);
    ASSERT_TRUE(late && next);
    EXPECT_EQ(std::make_pair(late->a, late->b), std::make_pair(first->a, first->b));
    EXPECT_EQ(std::make_pair(shootingA(aPeriod), shootingB(aPeriod)), std::make_pair(first->a, first->b));
    EXPECT_NE(next->head, first->head);

    // Across many periods the paths differ; each starts between 10 % and 70 %
    // of the width, in the upper 45 % of the sky.
    std::set<std::pair<double, double>> paths;
    for (qint64 k = aPeriod; k < aPeriod + 200; ++k) {
        const double a = shootingA(k), b = shootingB(k);
        EXPECT_TRUE(a >= 0.0 && a < 1.0 && b >= 0.0 && b < 0.45) << k << ": " << a << ", " << b;
        paths.insert({a, b});
    }
    EXPECT_EQ(paths.size(), 200u);
}

TEST(SkyNebula, StrengthFromDensity)
{
    for (double none : {0.0, 0.01, -0.5, std::nan(""), -inf})
        EXPECT_FALSE(nebulaStrength(none).has_value()) << none;
    for (auto [density, strength] : {std::pair{0.0101, 0.0101}, {0.5, 0.5}, {1.0, 1.0}, {5.0, 1.0}, {inf, 1.0}})
        EXPECT_DOUBLE_EQ(*nebulaStrength(density), strength) << density;
}

TEST(SkyNebula, SoftEdgeRampFallsFromFullToClear)
{
    const auto ramp = softDiscRamp(200, 40);
    ASSERT_GE(ramp.size(), 3u);
    EXPECT_EQ(ramp.front().position, 0.0);
    EXPECT_EQ(ramp.front().alpha, 1.0);
    EXPECT_EQ(ramp.back().position, 1.0);
    EXPECT_EQ(ramp.back().alpha, 0.0);
    EXPECT_DOUBLE_EQ(softDiscOuterRadius(200, 40), 240);
    expectFalling(ramp);
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
    const auto hard = softDiscRamp(200, 0);
    ASSERT_EQ(hard.size(), 2u);
    EXPECT_EQ(hard.back().alpha, 1.0);
    const auto tiny = softDiscRamp(5, 40);
    EXPECT_EQ(tiny.back().position, 1.0);
    expectFalling(tiny);
}

} // namespace
