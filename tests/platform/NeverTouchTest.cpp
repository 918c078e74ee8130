// The never-touch list: what is stored and read back (odd bytes included),
// how a typed path is normalised or refused, and what the scans' question
// "is this covered, or does it hold a covered path" answers.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "engines/common/NeverTouchList.h"
#include "platform/NeverTouch.h"

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> norm(const std::string& input, QString* error = nullptr)
{
    QString message;
    auto place = NeverTouch::normalised(input, "/home/u/work", message);
    if (error)
        *error = message;
    return place;
}

} // namespace

TEST(NeverTouch, NormalisesByNameAndRefusesWhatCannotBeAPlace)
{
    EXPECT_EQ(norm("/home/u/Docs/"), fs::path("/home/u/Docs"));
    EXPECT_EQ(norm("/home/u//Docs/./a/../b///"), fs::path("/home/u/Docs/b"));
    EXPECT_EQ(norm("proj/../notes"), fs::path("/home/u/work/notes"));
    EXPECT_EQ(norm("../../../../.."), std::nullopt);  // climbs to "/"
    QString error;
    EXPECT_EQ(norm("", &error), std::nullopt);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(norm("/", &error), std::nullopt);
    EXPECT_EQ(norm(std::string("/a\0b", 4), &error), std::nullopt);
}

TEST(NeverTouch, StoresOddNamesByteForByteAndSkipsWhatItCannotRead)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
    const fs::path latin1 = std::string("/home/u/caf\xE9 %41");  // not UTF-8, and a literal "%41"
    const fs::path newline = "/home/u/two\nlines";
    const fs::path utf8 = "/home/u/Fotos ✓";
    EXPECT_TRUE(NeverTouch::add(settings, latin1));
    EXPECT_TRUE(NeverTouch::add(settings, newline));
    EXPECT_TRUE(NeverTouch::add(settings, utf8));
    EXPECT_FALSE(NeverTouch::add(settings, utf8));  // listed already
    EXPECT_TRUE(NeverTouch::encode(latin1).startsWith("encoded:"));
    EXPECT_EQ(NeverTouch::encode(utf8), QString::fromUtf8("/home/u/Fotos ✓"));

    // Hand-edited entries that are not a normalised absolute path are not places.
    QStringList stored = settings.value("neverTouch").toStringList();
    stored << "relative/x" << "/a/../b" << "/" << "/trailing/" << "encoded:/ok%2Fstill";
    settings.setValue("neverTouch", stored);

    QSettings reread(dir.filePath("s.ini"), QSettings::IniFormat);
    EXPECT_EQ(NeverTouch::load(reread), (std::vector<fs::path>{latin1, newline, utf8, "/ok/still"}));
    EXPECT_TRUE(NeverTouch::remove(reread, latin1));
    EXPECT_FALSE(NeverTouch::remove(reread, latin1));
    EXPECT_EQ(NeverTouch::load(reread).size(), 3u);
}

TEST(NeverTouchList, CoversWholeComponentsAndKnowsWhatHoldsAPlace)
{
    const NeverTouchList list({"/home/u/.cache/keep", "/home/u/link"});
    EXPECT_TRUE(list.covers("/home/u/.cache/keep"));
    EXPECT_TRUE(list.covers("/home/u/.cache/keep/deep/file"));
    EXPECT_FALSE(list.covers("/home/u/.cache/keeper"));  // a longer name is another entry
    EXPECT_FALSE(list.covers("/home/u/.cache"));
    EXPECT_TRUE(list.holdsInside("/home/u/.cache"));
    EXPECT_TRUE(list.holdsInside("/home/u"));
    EXPECT_FALSE(list.holdsInside("/home/u/.cache/keep"));  // itself: covered, not holding
    EXPECT_FALSE(list.holdsInside("/home/u/.cache/kee"));
    // A link is covered as the path given; the folder it points to is not implied.
    EXPECT_FALSE(list.covers("/srv/target-of-link"));
    EXPECT_TRUE(list.touches("/home/u/.cache"));
    EXPECT_FALSE(NeverTouchList().touches("/anything"));
}
