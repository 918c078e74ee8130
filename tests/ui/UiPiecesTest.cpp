// Pure pieces of the screens: the spring curve and the symbol table.
#include <gtest/gtest.h>

#include "app/AppSection.h"
#include "i18n/Translations.h"
#include "ui/Motion.h"
#include "ui/Symbols.h"

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

TEST(Sections, IdsRoundTripInSidebarOrder)
{
    const char* order[] = {"overview", "junk", "large", "uninstaller", "orbitMap", "startup", "maintenance"};
    int i = 0;
    for (const AppSectionInfo& info : allSections()) {
        EXPECT_STREQ(info.id, order[i++]);
        EXPECT_EQ(sectionFromId(info.id), info.section);
        EXPECT_EQ(sectionId(info.section), info.id);
    }
    EXPECT_FALSE(sectionFromId("Overview").has_value());
}

TEST(Sections, SidebarLabelsAreTranslationKeys)
{
    // The sidebar passes these through L by variable, out of reach of the source scan.
    for (const AppSectionInfo& info : allSections())
        EXPECT_TRUE(translationTable().contains(QString::fromUtf8(info.label))) << info.label;
}

TEST(Symbols, FileKindsByNameAndFolder)
{
    const auto dir = std::filesystem::temp_directory_path() / "quillmoor-kinds";
    std::filesystem::create_directories(dir / "Photos.photoslibrary");
    EXPECT_EQ(symbolForFile(dir), "folder.fill");
    EXPECT_EQ(symbolForFile(dir / "Photos.photoslibrary"), "shippingbox");
    EXPECT_EQ(symbolForFile(dir / "Setup.iso"), "opticaldisc");
    EXPECT_EQ(symbolForFile(dir / "holiday.mkv"), "film");
    EXPECT_EQ(symbolForFile(dir / "backup.tar.gz"), "doc.zipper");
    EXPECT_EQ(symbolForFile(dir / "notes.txt"), "doc.text");
    std::filesystem::remove_all(dir);
}
