// The orbit map's geometry: which children become planets, where they are,
// what a click hits, and the label form of names.
#include <gtest/gtest.h>

#include <cmath>

#include "space/OrbitLayout.h"

using namespace OrbitMap;

namespace {

std::vector<SizeEntry> entriesOfSizes(const std::vector<std::int64_t>& sizes)
{
    std::vector<SizeEntry> entries;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        entries.push_back(SizeEntry{"/f/e" + std::to_string(i), sizes[i], i % 2 == 0});
    return entries;
}

} // namespace

TEST(OrbitBodies, TheTwelveLargestOnThreeRings)
{
    // 14 children (two unmeasured or empty, which never become planets), with
    // a tie that must keep listing order.
    const std::vector<SizeEntry> entries =
        entriesOfSizes({50, -1, 900, 400, 0, 400, 10, 20, 30, 40, 60, 70, 80, 5, 1});
    const std::vector<OrbitBody> bodies = OrbitMap::bodies(entries);
    ASSERT_EQ(bodies.size(), 12u);
    std::vector<std::string> names;
    std::vector<int> rings;
    for (const OrbitBody& body : bodies) {
        names.push_back(body.entry.url.filename());
        rings.push_back(body.orbit);
        EXPECT_EQ(body.rank, int(names.size()) - 1);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"e2", "e3", "e5", "e12", "e11", "e10", "e0", "e9", "e8", "e7",
                                               "e6", "e13"}));
    EXPECT_EQ(rings, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2}));
    EXPECT_DOUBLE_EQ(bodies[0].r, 30);
    EXPECT_DOUBLE_EQ(bodies[3].r, std::sqrt(80.0 / 900) * 24 + 6);
    // Phases: the rings turned 0.9 rad against each other, planets spread evenly.
    EXPECT_DOUBLE_EQ(bodies[1].phase, 2 * M_PI / 3);
    EXPECT_DOUBLE_EQ(bodies[4].phase, 0.9 + 2 * M_PI / 4);
    EXPECT_DOUBLE_EQ(bodies[11].phase, 1.8 + 2 * M_PI * 4 / 5);

    EXPECT_TRUE(OrbitMap::bodies(entriesOfSizes({-1, 0, -1})).empty());
    EXPECT_TRUE(OrbitMap::bodies({}).empty());
}

TEST(OrbitLayout, OneChildInTheSmallestView)
{
    const std::vector<OrbitBody> bodies = OrbitMap::bodies(entriesOfSizes({1234}));
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0].orbit, 0);
    EXPECT_DOUBLE_EQ(bodies[0].phase, 0);
    EXPECT_DOUBLE_EQ(bodies[0].r, 30);

    // 100 × 100: the floors win (rx 80, ry 40) and the outer ring overflows.
    const Layout layout = OrbitMap::layout(bodies, QSizeF(100, 100), 0);
    EXPECT_EQ(layout.center, QPointF(50, 50));
    EXPECT_DOUBLE_EQ(layout.orbits[2].width(), 77.6);
    EXPECT_DOUBLE_EQ(layout.orbits[2].height(), 38.8);
    EXPECT_DOUBLE_EQ(layout.orbits[0].width(), 80 * 0.42);
    EXPECT_DOUBLE_EQ(layout.orbits[0].height(), 80 * 0.42 * 0.5);  // at least twice as wide as high
    EXPECT_DOUBLE_EQ(layout.sunRadius, 18);
    ASSERT_EQ(layout.placed.size(), 1u);
    // At t = 0 the planet sits at the right end of the inner ellipse, on the centre line.
    EXPECT_DOUBLE_EQ(layout.placed[0].p.x(), 50 + 80 * 0.42);
    EXPECT_DOUBLE_EQ(layout.placed[0].p.y(), 50);
    EXPECT_DOUBLE_EQ(layout.placed[0].depth, 0);
    EXPECT_DOUBLE_EQ(layout.placed[0].scale, 0.9 * 0.6);  // bodyScale 0.6, halfway in depth

    // Later it has turned 0.11 rad per second; a big view scales the bodies up to 1.35.
    const Layout later = OrbitMap::layout(bodies, QSizeF(1200, 800), 10);
    const double angle = 0.11 * 10;
    EXPECT_NEAR(later.placed[0].p.x(), 600 + std::cos(angle) * 560 * 0.42, 1e-9);
    EXPECT_NEAR(later.placed[0].p.y(), 400 + std::sin(angle) * std::min(360 * 0.42, 560 * 0.42 * 0.5), 1e-9);
    EXPECT_NEAR(later.placed[0].scale, (0.8 + 0.2 * (std::sin(angle) + 1) * 0.5) * 1.35, 1e-12);
}

TEST(OrbitHit, TheBoundaryCountsAndTheFrontPlanetWins)
{
    OrbitPlaced back;
    back.body.entry = SizeEntry{"/f/back", 10, true};
    back.body.r = 20;
    back.p = QPointF(100, 100);
    back.depth = -0.5;
    back.scale = 1;
    OrbitPlaced front = back;
    front.body.entry = SizeEntry{"/f/front", 5, false};
    front.p = QPointF(110, 100);
    front.depth = 0.5;
    front.scale = 0.5;
    const std::vector<OrbitPlaced> placed = {back, front};

    EXPECT_EQ(OrbitMap::hitIndex(placed, QPointF(105, 100)), std::optional<std::size_t>(1));  // overlap
    // Exactly r·scale + 4 away counts; a hair further does not.
    EXPECT_EQ(OrbitMap::hitIndex(placed, QPointF(110 + 14, 100)), std::optional<std::size_t>(1));
    EXPECT_EQ(OrbitMap::hitIndex(placed, QPointF(100, 100 + 24)), std::optional<std::size_t>(0));
    EXPECT_EQ(OrbitMap::hitIndex(placed, QPointF(100, 100 + 24.001)), std::nullopt);

    // Through the layout: the planet on screen at that moment is the one hit.
    const std::vector<OrbitBody> bodies = OrbitMap::bodies(entriesOfSizes({100}));
    const QPointF planet = OrbitMap::layout(bodies, QSizeF(600, 400), 3).placed[0].p;
    ASSERT_TRUE(OrbitMap::hit(bodies, planet, QSizeF(600, 400), 3).has_value());
    EXPECT_EQ(OrbitMap::hit(bodies, planet, QSizeF(600, 400), 3)->url, "/f/e0");
    EXPECT_FALSE(OrbitMap::hit(bodies, QPointF(300, 200), QSizeF(600, 400), 3).has_value());

    // The sun: closer to the centre than a tenth of the smaller side.
    EXPECT_TRUE(OrbitMap::hitsCenter(QPointF(300 + 39, 200), QSizeF(600, 400)));
    EXPECT_FALSE(OrbitMap::hitsCenter(QPointF(300 + 40, 200), QSizeF(600, 400)));
}

TEST(OrbitDrawing, BackPlanetsBeforeTheSunFrontOnesAfter)
{
    std::vector<OrbitPlaced> placed(5);
    const double depths[] = {0.3, -0.2, 0.0, -0.9, 0.8};
    for (std::size_t i = 0; i < placed.size(); ++i)
        placed[i].depth = depths[i];
    EXPECT_EQ(OrbitMap::drawOrder(placed, false), (std::vector<std::size_t>{3, 1}));
    EXPECT_EQ(OrbitMap::drawOrder(placed, true), (std::vector<std::size_t>{2, 0, 4}));
}

TEST(OrbitDrawing, FramesFollowTheFastestPlanet)
{
    // 1200 wide: the middle ring's ends run 0.07 × 392 = 27.4 points a second:
    // 1.4 points every 50 ms.
    EXPECT_EQ(OrbitMap::frameInterval(QSizeF(1200, 800)), 50);
    // 500 wide: 0.07 × 147 = 10.3 points a second, 1.3 points every 125 ms.
    EXPECT_EQ(OrbitMap::frameInterval(QSizeF(500, 400)), 125);
    // The smallest view: the floors hold (80 wide), about 4 points a second.
    EXPECT_EQ(OrbitMap::frameInterval(QSizeF(10, 10)), 250);
}

TEST(OrbitLabels, NeverOverlapEachOtherOrTheSunsLabel)
{
    // Twelve children with long names (labels as wide as a shortened name can
    // be), in a small and a large view, over a whole turn of the outer ring.
    for (const QSizeF view : {QSizeF(420, 300), QSizeF(900, 560)}) {
        const std::vector<OrbitBody> bodies =
            OrbitMap::bodies(entriesOfSizes({90, 80, 70, 60, 50, 40, 35, 30, 25, 20, 15, 10, 5}));
        const QPointF centre(view.width() / 2, view.height() / 2);
        const QRectF sun = OrbitMap::sunLabelRect(centre, QSizeF(70, 16), QSizeF(120, 13));
        EXPECT_TRUE(sun.contains(QPointF(centre.x(), centre.y() - 14)));  // the total, above the centre
        EXPECT_TRUE(sun.contains(QPointF(centre.x() - 59, centre.y() + 9)));  // the name, below it
        std::size_t shown = 0;
        for (double t = 0; t < 2 * M_PI / 0.045; t += 3.7) {
            const Layout layout = OrbitMap::layout(bodies, view, t);
            std::vector<LabelWish> wishes;
            for (std::size_t i = 0; i < layout.placed.size(); ++i)
                wishes.push_back({i, QSizeF(118, 28), i == 9, i == 7});  // all twelve want one
            const std::vector<LabelSpot> spots = OrbitMap::placeLabels(layout.placed, wishes, sun, view);
            shown += spots.size();
            for (std::size_t a = 0; a < spots.size(); ++a) {
                EXPECT_TRUE(QRectF(QPointF(), view).contains(spots[a].rect));
                EXPECT_FALSE(spots[a].rect.intersects(sun)) << t;
                for (std::size_t b = a + 1; b < spots.size(); ++b)
                    EXPECT_FALSE(spots[a].rect.intersects(spots[b].rect)) << t << " " << a << " " << b;
            }
        }
        EXPECT_GT(shown, 0u);
    }

    // Two planets on one spot: the hovered one gets the place below, the
    // other the next free one.
    std::vector<OrbitPlaced> placed(2);
    for (std::size_t i = 0; i < 2; ++i) {
        placed[i].body.r = 10;
        placed[i].body.rank = int(i);
        placed[i].p = QPointF(200, 100);
    }
    const std::vector<LabelSpot> two =
        OrbitMap::placeLabels(placed, {{0, QSizeF(60, 28)}, {1, QSizeF(60, 28), true}}, QRectF(), QSizeF(400, 300));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].planet, 1u);
    EXPECT_EQ(two[0].rect, QRectF(170, 117, 60, 28));
    EXPECT_EQ(two[1].rect, QRectF(170, 57, 60, 28));  // above
}

TEST(OrbitNames, EighteenCharactersStayWhole)
{
    EXPECT_EQ(OrbitMap::shortName("abcdefghijklmnopqr"), "abcdefghijklmnopqr");
    EXPECT_EQ(OrbitMap::shortName("abcdefghijklmnopqrs"), QString("abcdefghijklmnop") + QChar(0x2026));
    // Characters beyond the basic plane count once and are never cut in half.
    const QString emoji = QString::fromUtf8("📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁");
    EXPECT_EQ(OrbitMap::shortName(emoji), QString::fromUtf8("📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁📁…"));
    EXPECT_EQ(OrbitMap::shortName(""), "");
}
