// AppState's own mechanics: sections, the message protocol, the freed total
// written through, the nebula's density.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "app/AppState.h"
#include "platform/Prefs.h"
#include "support/Fixtures.h"
#include "support/WaitFor.h"

namespace {

class TestState : public AppState {
public:
    TestState() : AppState(nullptr) {}
    using AppState::setJunkGroups;
    using AppState::setJunkLive;
    using AppState::setJunkScanning;
};

JunkItem itemAt(const std::filesystem::path& path, std::int64_t size, bool selected)
{
    JunkItem item;
    item.url = path;
    item.name = QString::fromStdString(path.filename().string());
    item.size = size;
    item.selected = selected;
    return item;
}

JunkGroup groupOf(const QString& id, std::vector<JunkItem> items)
{
    JunkGroup group;
    group.id = id;
    group.items = std::move(items);
    return group;
}

} // namespace

TEST(AppStateInit, ReadsTheMachineAtStart)
{
    TestState state;
    EXPECT_GT(state.diskTotal(), 0);
    EXPECT_GT(state.memTotal(), 0u);
    EXPECT_TRUE(state.fda());  // the temporary home can be listed
    EXPECT_EQ(state.sections().size(), 7);
}

TEST(AppStateSections, UnknownOrEmptyIdMeansNoSection)
{
    TestState state;
    QSignalSpy spy(&state, &AppState::sectionChanged);
    state.setSection("junk");
    EXPECT_EQ(state.section(), "junk");
    state.setSection("junk");  // no change, no signal
    EXPECT_EQ(spy.count(), 1);
    state.setSection("");
    EXPECT_FALSE(state.currentSection().has_value());
    state.setSection("nonsense");
    EXPECT_FALSE(state.currentSection().has_value());
}

TEST(AppStateFreed, GrowsOnlyAndIsStoredAtOnce)
{
    TestState state;
    const qint64 start = state.totalFreed();
    state.addFreed(1000);
    state.addFreed(0);
    state.addFreed(-50);
    EXPECT_EQ(state.totalFreed(), start + 1000);
    // A later start reads the stored total.
    EXPECT_EQ(Prefs::readInt(*Prefs::standard(), "totalFreed"), start + 1000);
    TestState later;
    EXPECT_EQ(later.totalFreed(), start + 1000);
}

TEST(NebulaDensity, FollowsTheScanState)
{
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, false, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, false, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, true, 7'500'000'000, 0), 0.75);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, true, 0, 0), 0.08);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, true, 0, 1'000'000'000'000), 1.0);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, false, 1'000'000'000'000, 0), 1.0);

    TestState state;
    QSignalSpy spy(&state, &AppState::nebulaDensityChanged);
    EXPECT_DOUBLE_EQ(state.nebulaDensity(), 0.5);
    state.setJunkScanning(true);
    EXPECT_DOUBLE_EQ(state.nebulaDensity(), 0.25);
    state.setJunkGroups({groupOf("caches", {itemAt("/n/a", 3'000'000'000, true), itemAt("/n/b", 9'000'000'000, false)})});
    state.setJunkScanning(false);
    state.setJunkScanned(true);
    EXPECT_DOUBLE_EQ(state.nebulaDensity(), 3e9 / 1.5e10 + 0.08);
    EXPECT_EQ(state.junkSelectedTotal(), 3'000'000'000);
    EXPECT_EQ(state.junkTotal(), 12'000'000'000);
    EXPECT_GE(spy.count(), 2);
}

TEST(Removal, EmptyTargetListStillPublishesAnOutcome)
{
    TestState state;
    state.setMessage("earlier");
    const qint64 before = state.totalFreed();
    QSignalSpy busy(&state, &AppState::busyChanged);
    bool completed = false;
    state.perform({}, [&] { completed = true; });
    EXPECT_TRUE(state.busy());
    ASSERT_EVENTUALLY(completed, 5000);
    EXPECT_FALSE(state.busy());
    EXPECT_EQ(busy.count(), 2);
    EXPECT_EQ(state.totalFreed(), before);
    EXPECT_FALSE(state.celebrating());
    EXPECT_EQ(state.message(), "earlier");  // nothing to report leaves it as it was
}

TEST(CleanJunk, RemovesTheTickedItemsAndPrunesWhatIsGone)
{
    const auto home = FS::home() / "clean-fixture";
    for (const char* name : {"cache-a", "cache-b", "vanishes"})
        writeBytes(home / name / "blob", 50'000);

    TestState state;
    JunkGroup group = groupOf("caches", {itemAt(home / "cache-a", 50'000, true), itemAt(home / "cache-b", 60'000, false),
                                         itemAt(home / "vanishes", 70'000, true)});
    group.permanent = true;
    state.setJunkGroups({group});
    state.setJunkScanned(true);
    EXPECT_EQ(state.junkSelectedTotal(), 120'000);
    std::filesystem::remove_all(home / "vanishes");  // gone between scan and clean

    const qint64 before = state.totalFreed();
    state.cleanJunk();
    ASSERT_EVENTUALLY(!state.busy(), 5000);
    ASSERT_EVENTUALLY(state.junkGroups().size() == 1 && state.junkGroups()[0].items.size() == 1, 5000);

    EXPECT_FALSE(std::filesystem::exists(home / "cache-a"));
    EXPECT_TRUE(std::filesystem::exists(home / "cache-b"));  // unticked: untouched
    EXPECT_FALSE(state.hasMessage());                         // a vanished item is no failure
    EXPECT_EQ(state.totalFreed(), before + 50'000);
    ASSERT_TRUE(state.celebrating());
    EXPECT_EQ(state.celebrateFreed(), 50'000);
    EXPECT_TRUE(Prefs::standard()->contains("lastClean"));
    EXPECT_TRUE(state.junkScanned());  // the pruned result stays on screen
}

TEST(CleanJunk, TickingFollowsTheGroupRules)
{
    TestState state;
    state.setJunkGroups({groupOf("trash", {itemAt("/nowhere/a", 10, true), itemAt("/nowhere/b", 20, false)})});
    EXPECT_TRUE(state.trashWillEmpty());
    state.toggleJunkGroup("trash");  // some ticked → all ticked
    EXPECT_EQ(state.junkSelectedTotal(), 30);
    state.toggleJunkGroup("trash");  // all ticked → none
    EXPECT_EQ(state.junkSelectedTotal(), 0);
    EXPECT_FALSE(state.trashWillEmpty());
    state.toggleJunkItem("trash", state.junkGroups()[0].items[1].id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(state.junkSelectedTotal(), 20);
    EXPECT_EQ(state.junkGroupModel()->count(), 1);
    EXPECT_TRUE(state.junkGroupModel()->get(0).value("someOn").toBool());
    EXPECT_FALSE(state.junkGroupModel()->get(0).value("allOn").toBool());
}

TEST(LargestFirst, KeepsFourAndTheOrderOfEqualTotals)
{
    EXPECT_EQ(largestFirst({5, 9, 5, 1, 9, 7}, 4), (std::vector<std::size_t>{1, 4, 5, 0}));
    EXPECT_EQ(largestFirst({3, 1}, 4), (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(largestFirst({}, 4).empty());
}

TEST(ScanJunk, ASecondStartWhileScanningChangesNothing)
{
    TestState state;
    QSignalSpy published(&state, &AppState::junkGroupsChanged);
    state.scanJunk();
    state.scanJunk();
    EXPECT_TRUE(state.junkScanning());
    ASSERT_EVENTUALLY(state.junkScanned(), 20000);
    EXPECT_FALSE(state.junkScanning());
    QTest::qWait(600);
    EXPECT_EQ(published.count(), 1);
}

TEST(LargeFiles, OldestFirstPutsUndatedFilesFirstAndKeepsTiesInOrder)
{
    auto file = [](std::optional<QDateTime> when) {
        LargeFile f;
        f.accessed = when;
        return f;
    };
    const QDateTime early(QDate(2020, 1, 1), QTime(0, 0));
    const QDateTime late(QDate(2024, 1, 1), QTime(0, 0));
    const std::vector<LargeFile> files{file(late), file(early), file(std::nullopt), file(late), file(std::nullopt)};
    EXPECT_EQ(oldestFirst(files), (std::vector<std::size_t>{2, 4, 1, 0, 3}));
}

TEST(LargeFiles, ANewerScanSupersedesTheOlderOneAndTrashingPrunes)
{
    const auto home = FS::home();
    writeBytes(home / "large-fixture/a.bin", 300'000);
    writeBytes(home / "large-fixture/b.bin", 200'000);

    TestState state;
    state.setLargeMin(1);
    state.scanLarge();
    // a second start at once: the first scan's result must be dropped
    state.setLargeMin(10'000'000'000);
    state.scanLarge();
    ASSERT_EVENTUALLY(state.largeScanned() && !state.largeScanning(), 20000);
    QTest::qWait(300);
    EXPECT_EQ(state.largeCount(), 0);

    state.setLargeMin(150'000);
    state.scanLarge();
    state.cancelLarge();  // read at every folder: the walk stops at once, and what it found still arrives
    ASSERT_EVENTUALLY(!state.largeScanning(), 20000);
    EXPECT_LE(state.largeCount(), 2);
    state.scanLarge();
    ASSERT_EVENTUALLY(!state.largeScanning(), 20000);
    ASSERT_EQ(state.largeCount(), 2);
    EXPECT_EQ(state.largeFiles()[0].url.filename(), "a.bin");

    state.toggleLargeFile(state.largeFiles()[1].id.toString(QUuid::WithoutBraces));
    state.toggleLargeFile(state.largeFiles()[0].id.toString(QUuid::WithoutBraces));
    state.toggleLargeFile(state.largeFiles()[0].id.toString(QUuid::WithoutBraces));  // a unticked again
    EXPECT_EQ(state.largeSelectedTotal(), 200'000);
    EXPECT_EQ(state.largeSelectedCount(), 1);
    state.trashLarge();
    ASSERT_EVENTUALLY(!state.busy() && state.largeCount() == 1, 20000);
    EXPECT_EQ(state.largeFiles()[0].url.filename(), "a.bin");
    EXPECT_FALSE(state.largeFiles()[0].selected);
    EXPECT_TRUE(std::filesystem::exists(FS::trashFolder() / "b.bin"));
    EXPECT_EQ(state.celebrateTrashed(), 200'000);
    EXPECT_EQ(state.largeMinLabel(), QString());  // 150 kB is none of the offered thresholds
    state.setLargeMin(1'000'000'000);
    EXPECT_EQ(state.largeMinLabel(), "1 GB");
}
