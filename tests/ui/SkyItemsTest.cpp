// The sky items drawn into plain images, and their frame timers. Runs its own
// main: painting items needs a GUI application (offscreen, software-rendered).
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>

#include "support/TempHome.h"
#include "ui/sky/NebulaItem.h"
#include "ui/sky/StarfieldItem.h"

namespace {

constexpr int width = 320;
constexpr int height = 200;
constexpr double aPeriodStart = 11.0 * 154545454;  // a shooting star starts here

// Paints ITEM, sized to SIZE, at time t into a transparent image of the full test size.
template <typename Item>
QImage render(Item& item, double t, QSizeF size = QSizeF(width, height))
{
    item.setSize(size);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    item.paintAt(&painter, t);
    painter.end();
    return image;
}

// How many pixels of IMAGE have a non-zero CHANNEL (qAlpha: drawn at all; qRed: lit on black).
int pixelsWith(const QImage& image, int (*channel)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += channel(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

int visiblePixels(const QImage& image) { return pixelsWith(image, qAlpha); }
int litPixels(const QImage& image) { return pixelsWith(image, qRed); }

int alphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

TEST(NebulaItem, ClearSkyDrawsNothingAndThickSkyDrawsInTheMiddle)
{
    Nebula nebula;
    for (double density : {0.0, 0.01, -1.0}) {
        nebula.setDensity(density);
        EXPECT_EQ(visiblePixels(render(nebula, 100.0)), 0) << density;
    }

    // The mask clears everything from half the radius outwards.
    nebula.setDensity(1.0);
    const QImage thick = render(nebula, 100.0);
    EXPECT_GT(alphaAt(thick, width / 2, height / 2), 20);
    for (auto [x, y] : {std::pair{0, 0}, {width - 1, height - 1}, {width / 2, 2}, {4, height / 2}})
        EXPECT_EQ(alphaAt(thick, x, y), 0) << x << "," << y;

    // Frames repaint only the layer over the middle, and nothing is drawn outside it.
    const QRectF layer = nebula.layerRect();
    EXPECT_LT(layer.width() * layer.height(), 0.3 * width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (alphaAt(thick, x, y) > 0) {
                ASSERT_TRUE(layer.contains(QPointF(x + 0.5, y + 0.5))) << x << "," << y;
            }

    // A thin nebula is paler (the strength for each density is SkyMath's).
    nebula.setDensity(0.3);
    const QImage thin = render(nebula, 100.0);
    EXPECT_GT(visiblePixels(thin), 0);
    EXPECT_LT(alphaAt(thin, width / 2, height / 2), alphaAt(thick, width / 2, height / 2));

    // After a resize the edges are still cleared.
    nebula.setDensity(1.0);
    const QImage small = render(nebula, 100.0, QSizeF(width / 2, height / 2));
    EXPECT_GT(alphaAt(small, width / 4, height / 4), 20);
    EXPECT_EQ(alphaAt(small, width / 2 - 2, height / 4), 0);
    EXPECT_EQ(alphaAt(small, width - 10, height - 10), 0);
}

// The star field as a black window shows it at time t: what its scene graph
// nodes draw, through the software renderer the application uses here.
QImage shown(QQuickWindow& window, Starfield& field, double t)
{
    field.setClock([t] { return t; });
    return window.grabWindow();
}

TEST(StarfieldItem, StarsAndShootingStarShowOnlyWhenBright)
{
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(width, height);
    Starfield field(window.contentItem());
    field.setSize(QSizeF(width, height));
    window.show();
    EXPECT_EQ(field.acceptedMouseButtons(), Qt::NoButton);  // clicks go through the backdrop
    field.setBrightness(0.7);
    EXPECT_GT(litPixels(shown(window, field, aPeriodStart + 5.0)), 150);
    field.setBrightness(0.0);
    EXPECT_EQ(litPixels(shown(window, field, aPeriodStart)), 0);

    // With no stars, only the shooting star remains, and only in its first 1.1 s.
    field.setStars({});
    field.setBrightness(1.0);
    EXPECT_EQ(litPixels(shown(window, field, aPeriodStart + 5.0)), 0);
    EXPECT_EQ(litPixels(shown(window, field, aPeriodStart + 1.1)), 0);
    shown(window, field, aPeriodStart + 2.0);
    EXPECT_FALSE(field.shootingItem()->isVisible());  // between crossings it is not there at all
    EXPECT_GT(litPixels(shown(window, field, aPeriodStart + 0.2)), 20);
    // It repaints only the small area its line covers, not the sky.
    ASSERT_TRUE(field.shootingItem()->isVisible());
    EXPECT_LT(field.shootingItem()->width() * field.shootingItem()->height(), width * height / 10.0);

    // A lone star at the crest of its twinkle is a small white disc at its place.
    field.setStars({SkyMath::StarPoint{0.5, 0.5, 1.3, 1.5707963267948966, 0.0}});
    const QImage image = shown(window, field, aPeriodStart + 5.0);
    const QRgb centre = image.pixel(width / 2, height / 2);
    EXPECT_NEAR(qRed(centre), 0.6 * 255, 40);  // 0.8 × 0.75 over black
    EXPECT_EQ(qRed(centre), qBlue(centre));     // white
    EXPECT_EQ(qRed(image.pixel(width / 2 + 4, height / 2)), 0);
    // Its twinkle changes its brightness in place: from the crest to the trough half a turn later.
    const double t1 = aPeriodStart + 5.0;
    field.setStars({SkyMath::StarPoint{0.5, 0.5, 1.3, std::fmod(M_PI / 2 - t1, 2 * M_PI), 1.0}});
    const int crest = qRed(shown(window, field, t1).pixel(width / 2, height / 2));
    const int trough = qRed(shown(window, field, t1 + M_PI).pixel(width / 2, height / 2));
    EXPECT_NEAR(crest, qRed(centre), 3);
    EXPECT_LT(trough, crest / 3) << crest << " " << trough;
}

TEST(SkyFrames, TimersRunOnlyWhileSomethingCanBeSeen)
{
    QQuickWindow window;
    window.resize(width, height);
    Starfield field(window.contentItem());
    Nebula nebula(window.contentItem());
    field.setSize(QSizeF(width, height));
    nebula.setSize(QSizeF(width, height));
    EXPECT_FALSE(field.isAnimating());  // the window is not shown yet

    window.show();
    EXPECT_TRUE(field.isAnimating());
    EXPECT_FALSE(nebula.isAnimating());  // a clear sky needs no frames
    nebula.setDensity(0.6);
    EXPECT_TRUE(nebula.isAnimating());
    nebula.setDensity(0.0);
    EXPECT_FALSE(nebula.isAnimating());
    nebula.setDensity(0.6);

    field.setVisible(false);
    EXPECT_FALSE(field.isAnimating());
    field.setVisible(true);
    EXPECT_TRUE(field.isAnimating());
    field.setWidth(0);
    EXPECT_FALSE(field.isAnimating());
    field.setWidth(width);
    EXPECT_TRUE(field.isAnimating());

    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(field.isAnimating());
    EXPECT_FALSE(nebula.isAnimating());
    window.showNormal();
    QCoreApplication::processEvents();
    EXPECT_TRUE(field.isAnimating());

    window.hide();
    EXPECT_FALSE(field.isAnimating());
    EXPECT_FALSE(nebula.isAnimating());
    window.show();
    EXPECT_TRUE(field.isAnimating());
    field.setParentItem(nullptr);  // out of the window
    EXPECT_FALSE(field.isAnimating());
}

} // namespace

int main(int argc, char** argv)
{
    // No display, no GPU: the same settings the application's UI test uses.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    TempHome home;  // removed when the run ends
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
