// The orbit map in a window, through the software renderer the application
// uses here: a map that has turned for a while, as its folder was measured,
// shows exactly what a map shown first at that moment shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QQuickItem>
#include <QQuickWindow>

#include "space/SpaceModel.h"
#include "support/Fixtures.h"
#include "ui/OrbitMapItem.h"

namespace fs = std::filesystem;

namespace {

// A window holding a map away from its corner, as the page's card holds it,
// turned to the moment `now` says.
struct MapWindow {
    explicit MapWindow(SpaceModel& model)
    {
        window.setColor(Qt::black);
        window.resize(520, 400);
        card.setParentItem(window.contentItem());
        card.setPosition(QPointF(37, 23));
        card.setSize(QSizeF(460, 360));
        map.setParentItem(&card);
        map.setSize(card.size());
        map.setModel(&model);
        map.setClock([this] { return now; });
        window.show();
    }
    QImage at(double t)
    {
        now = t;
        map.update();
        return window.grabWindow();
    }
    double now = 0;
    QQuickWindow window;
    QQuickItem card;
    OrbitMapItem map;
};

} // namespace

TEST(OrbitMapItem, ATurnedMapShowsWhatAFreshOneShows)
{
    const fs::path folder = freshFolder("orbit-map");
    for (int i = 0; i < 12; ++i)
        writeFile(folder / ("item " + std::to_string(i)), std::string(1000 * (i + 1), 'o'));
    // The map is shown before the sizes arrive: the sun's total follows them.
    SpaceModel model;
    MapWindow turning(model);
    model.open(folder, false);
    QElapsedTimer waited;
    waited.start();
    while ((model.loading() || model.count() < 12) && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(turning.map.planetCount(), 12);
    const QImage start = turning.at(0.0);
    // Half a turn of the inner ring later every planet has changed sides, and
    // been put behind or before the sun again.
    const double later = 29.0;
    const QImage turned = turning.at(later);
    EXPECT_NE(turned, start);

    MapWindow fresh(model);
    EXPECT_EQ(fresh.at(later), turned);
    // Planets, not the empty card, at the planets' places.
    const QColor card = QColor(0x16, 0x16, 0x1A);
    for (const SizeEntry& entry : model.entries()) {
        const QPoint at = turning.map.mapToScene(turning.map.planetCentre(entry.id())).toPoint();
        EXPECT_NE(turned.pixelColor(at), card) << qPrintable(entry.name());
    }
}
