// Pure pieces of the screens: the spring curve, symbols, sections, charts, the tray panel, titles on two lines.
#include <gtest/gtest.h>

#include <vector>

#include <QTemporaryDir>
#include <QUrl>

#include "support/Fixtures.h"

#include "app/AppSection.h"
#include "i18n/Translations.h"
#include "profiles/Profile.h"
#include "ui/ChartMath.h"
#include "ui/FolderListing.h"
#include "ui/Motion.h"
#include "ui/Symbols.h"
#include "ui/TitleLines.h"
#include "ui/TrayIcon.h"

TEST(Spring, StartsAtZeroOvershootsOnceAndSettlesAtOne)
{
    EXPECT_DOUBLE_EQ(springPosition(0, 0.55, 0.7), 0);
    double peak = 0;
    for (double t = 0; t < 2; t += 0.005)
        peak = std::max(peak, springPosition(t, 0.55, 0.7));
    EXPECT_GT(peak, 1.0);    // a damping fraction below 1 overshoots...
    EXPECT_LT(peak, 1.1);    // ...a little
    EXPECT_NEAR(springPosition(2.0, 0.55, 0.7), 1.0, 1e-3);
    // critically damped: never past 1
    for (double t = 0; t < 2; t += 0.01)
        EXPECT_LE(springPosition(t, 0.55, 1.0), 1.0);
}

TEST(Symbols, EverySectionIconHasItsOwnGlyph)
{
    const QString unknown = materialGlyphFor("no.such.symbol");
    for (const AppSectionInfo& info : allSections()) {
        EXPECT_NE(materialGlyphFor(info.icon), unknown) << info.icon;
        EXPECT_NE(materialGlyphFor(info.symbol), unknown) << info.symbol;
    }
    for (const char* used : {"speaker.wave.2", "speaker.slash", "checkmark", "lock.shield", "gearshape"})
        EXPECT_NE(materialGlyphFor(used), unknown) << used;
}

TEST(Sections, IdsRoundTripInSidebarOrderAndLabelsAreTranslationKeys)
{
    const char* order[] = {"overview", "junk", "large", "duplicates", "uninstaller", "orbitMap", "startup", "maintenance"};
    int i = 0;
    for (const AppSectionInfo& info : allSections()) {
        EXPECT_STREQ(info.id, order[i++]);
        EXPECT_EQ(sectionFromId(info.id), info.section);
        EXPECT_EQ(sectionId(info.section), info.id);
        // the sidebar passes labels through L by variable, out of reach of the source scan
        EXPECT_TRUE(translationTable().contains(QString::fromUtf8(info.label))) << info.label;
    }
    EXPECT_FALSE(sectionFromId("Overview").has_value());
}

TEST(Symbols, FileKindsByNameAndFolder)
{
    const auto dir = std::filesystem::temp_directory_path() / "quillmoor-kinds";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "Photos.photoslibrary");
    // a link has its own symbol, whatever it leads to (and a dangling one too)
    std::filesystem::create_directory_symlink(dir / "Photos.photoslibrary", dir / "to-photos");
    std::filesystem::create_symlink(dir / "nowhere", dir / "to-nothing.mkv");
    EXPECT_EQ(symbolForFile(dir), "folder.fill");
    // a package is one item only where the system has packages
    EXPECT_EQ(symbolForFile(dir / "Photos.photoslibrary"), "folder.fill");
    ASSERT_TRUE(Profiles::choose("macos"));
    EXPECT_EQ(symbolForFile(dir / "Photos.photoslibrary"), "shippingbox");
    Profiles::choose("linux");
    for (const auto& [name, symbol] : {std::pair{"Setup.iso", "opticaldisc"}, {"holiday.mkv", "film"},
                                       {"backup.tar.gz", "doc.zipper"}, {"notes.txt", "doc.text"},
                                       {"to-photos", "link"}, {"to-nothing.mkv", "link"}})
        EXPECT_EQ(symbolForFile(dir / name), symbol) << name;
    std::filesystem::remove_all(dir);
}

TEST(Charts, SparklineSpansTheWidthAndScales)
{
    using ChartMath::sparklinePoints;
    EXPECT_TRUE(sparklinePoints({}, {64, 22}, 0).empty());
    // a fixed scale: 0 at the bottom, 1 at the top, oldest at the left
    const auto fixed = sparklinePoints({0.0, 0.5, 1.0}, {102, 22}, 1.0, 1.0);
    ASSERT_EQ(fixed.size(), 3u);
    EXPECT_EQ(fixed[0], QPointF(1, 21));
    EXPECT_EQ(fixed[1], QPointF(51, 11));
    EXPECT_EQ(fixed[2], QPointF(101, 1));
    // automatic scale to the largest value; all zeros lie flat at the bottom
    EXPECT_EQ(sparklinePoints({2000.0, 4000.0}, {10, 10}, 0, 0)[1].y(), 0.0);
    for (const QPointF& p : sparklinePoints({0.0, 0.0}, {10, 10}, 0, 0))
        EXPECT_EQ(p.y(), 10.0);
    // one value is a level line across
    EXPECT_EQ(sparklinePoints({0.5}, {10, 10}, 1.0, 0).size(), 2u);
}

TEST(Charts, DialRingsNestAndBodiesRunClockwiseFromTheTop)
{
    const QRectF outer = ChartMath::orbitRect(0, 3, {112, 112}, 14, 6);
    const QRectF inner = ChartMath::orbitRect(2, 3, {112, 112}, 14, 6);
    EXPECT_EQ(outer, QRectF(6, 6, 100, 100));
    EXPECT_EQ(inner, QRectF(34, 34, 44, 44));
    EXPECT_NEAR(ChartMath::bodyPoint(outer, 0).y(), 6, 1e-9);       // top
    EXPECT_NEAR(ChartMath::bodyPoint(outer, 0.25).x(), 106, 1e-9);  // right
    EXPECT_NEAR(ChartMath::bodyPoint(outer, 1.7).y(), 6, 1e-9);     // brought into 0..1
}

TEST(TrayPanel, OpensBesideTheIconInsideTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize panel(320, 480);
    // an icon in the top bar: under it, centred, kept inside the right edge
    EXPECT_EQ(panelPlacement({1890, 4, 22, 22}, panel, screen), QPoint(1600, 32));
    // an icon in a bottom panel: above it
    EXPECT_EQ(panelPlacement({800, 1054, 22, 22}, panel, screen), QPoint(650, 568));
    // no icon: the top-right corner
    EXPECT_EQ(panelPlacement({}, panel, screen), QPoint(1594, 6));
}

TEST(TrayPanel, ADoubleClickTogglesOnceAndSlowClicksEachToggle)
{
    // Times of the activations (a click and a double click both count) and
    // which of them toggle the panel, with a double-click interval of 400 ms.
    const struct {
        std::vector<qint64> at;
        std::vector<bool> toggles;
    } cases[] = {
        {{1000}, {true}},
        {{1000, 1180}, {true, false}},              // a double click: click, then double click
        {{1000, 1180, 1300}, {true, false, false}},  // a host that also repeats the click
        {{1000, 1600}, {true, true}},               // two slow clicks: open, close
        {{1000, 1180, 2000, 2150}, {true, false, true, false}},
        {{0, 399, 400}, {true, false, true}},
    };
    for (const auto& c : cases) {
        TrayClickFilter filter(400);
        std::vector<bool> toggles;
        for (const qint64 ms : c.at)
            toggles.push_back(filter.toggles(ms));
        EXPECT_EQ(toggles, c.toggles) << c.at.size() << " clicks from " << c.at.front();
    }
}

TEST(TitleLines, BreakBetweenWordsNearTheMiddleOrNotAtAll)
{
    using TitleLines::twoLines;
    EXPECT_EQ(twoLines("Limpar o computador"), "Limpar o\ncomputador");
    // Japanese: the particle stays with the word before it, a katakana word stays whole.
    EXPECT_EQ(twoLines(QString::fromUtf8("コンピュータをクリーンアップ")), QString::fromUtf8("コンピュータを\nクリーンアップ"));
    EXPECT_EQ(twoLines(QString::fromUtf8("ディスクマップ")), QString::fromUtf8("ディスクマップ"));
    // between kanji and katakana rather than inside the kanji compound
    EXPECT_EQ(twoLines(QString::fromUtf8("回線速度テスト")), QString::fromUtf8("回線速度\nテスト"));
    EXPECT_EQ(twoLines("Mapa"), "Mapa");
}

// The folder picker's listing: real folders only, in alphabetical order with
// numbers as numbers, hidden ones on request; up remembers where it came from;
// a folder that cannot be opened leaves the listing where it was and says why.
TEST(FolderListing, ListsFoldersInOrderGoesUpAndRefusesWhatItCannotOpen)
{
    QTemporaryDir dir;
    const std::filesystem::path top(dir.path().toStdString());
    for (const char* folder : {"b", "a10", "A2", ".hidden", "a10/inner"})
        std::filesystem::create_directories(top / folder);
    writeFile(top / "a-file.txt");
    std::filesystem::create_directory_symlink(top / "b", top / "link-to-b");

    FolderListing listing;
    ASSERT_TRUE(listing.open(QUrl::fromLocalFile(dir.path()).toString()));  // a URL is taken too
    EXPECT_EQ(listing.folder(), dir.path());
    ASSERT_EQ(listing.count(), 3);
    const auto names = [&] {
        QStringList shown;
        for (int row = 0; row < listing.count(); ++row)
            shown << listing.data(listing.index(row), FolderListing::NameRole).toString();
        return shown;
    };
    EXPECT_EQ(names(), (QStringList{"A2", "a10", "b"}));
    EXPECT_TRUE(listing.data(listing.index(0), FolderListing::ModifiedRole).toDateTime().isValid());
    EXPECT_EQ(listing.rowStartingWith("b", 0), 2);
    EXPECT_EQ(listing.rowStartingWith("a", 1), 1);  // from the row after the highlighted one
    listing.setShowHidden(true);
    EXPECT_EQ(names(), (QStringList{".hidden", "A2", "a10", "b"}));
    listing.setShowHidden(false);

    ASSERT_TRUE(listing.open(listing.pathAt(1)));
    EXPECT_EQ(names(), QStringList{"inner"});
    listing.up();
    EXPECT_EQ(listing.folder(), dir.path());
    EXPECT_EQ(listing.rowOf(dir.path() + "/a10"), 1);

    EXPECT_FALSE(listing.open(dir.path() + "/a-file.txt"));
    EXPECT_FALSE(listing.open(dir.path() + "/no such folder"));
    EXPECT_EQ(listing.folder(), dir.path());
    EXPECT_FALSE(listing.problem().isEmpty());
    EXPECT_TRUE(listing.open("a10"));  // a name typed is taken inside the open folder
    EXPECT_TRUE(listing.problem().isEmpty());
}
