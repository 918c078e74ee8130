// The feature states' own mechanics: sections, the message protocol, the
// freed total written through, the nebula's density, the junk and large-file
// states over real fixture files.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#include <QSignalSpy>
#include <QThread>
#include <QTest>

#include "app/FeatureStates.h"
#include "engines/large/LargeFiles.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "support/FixtureSystem.h"
#include "platform/Prefs.h"
#include "support/Fixtures.h"
#include "support/WaitFor.h"

namespace {

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

// The access check itself is FS's; the window's banner follows refreshFda (UiTest).
TEST(Shell, SectionsAndTheAccessCheck)
{
    FeatureStates states;
    {
        const ScopedEnv home("HOME", "/no/such/home");
        const ScopedEnv data("XDG_DATA_HOME", "/no/such/data");
        EXPECT_TRUE(ShellState(false).fda());  // a system without the check never shows the banner
    }

    QSignalSpy spy(&states.shell, &ShellState::sectionChanged);
    states.shell.setSection("junk");
    EXPECT_EQ(states.shell.section(), "junk");
    states.shell.setSection("junk");  // no change, no signal
    EXPECT_EQ(spy.count(), 1);
    states.shell.setSection("");
    EXPECT_FALSE(states.shell.currentSection().has_value());
    states.shell.setSection("nonsense");
    EXPECT_FALSE(states.shell.currentSection().has_value());
}

TEST(Removals, TheFreedTotalGrowsOnlyAndIsStoredAtOnce)
{
    FeatureStates states;
    const qint64 start = states.removals.totalFreed();
    states.removals.record(1000, 0);
    states.removals.record(0, 500);  // what went to the Trash is not freed yet
    states.removals.record(-50, 0);
    EXPECT_EQ(states.removals.totalFreed(), start + 1000);
    // A later start reads the stored total.
    EXPECT_EQ(Prefs::readInt(*Prefs::standard(), "totalFreed"), start + 1000);
    FeatureStates later;
    EXPECT_EQ(later.removals.totalFreed(), start + 1000);
}

TEST(NebulaDensity, FollowsTheScanState)
{
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, false, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, false, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, true, 7'500'000'000, 0), 0.75);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, true, 0, 0), 0.08);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, true, 0, 1'000'000'000'000), 1.0);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, false, 1'000'000'000'000, 0), 1.0);

    FeatureStates states;
    QSignalSpy spy(&states.shell, &ShellState::nebulaDensityChanged);
    EXPECT_DOUBLE_EQ(states.shell.nebulaDensity(), 0.5);
    states.junk.setJunkScanning(true);
    EXPECT_DOUBLE_EQ(states.shell.nebulaDensity(), 0.25);
    states.junk.setJunkGroups({groupOf("caches", {itemAt("/n/a", 3'000'000'000, true), itemAt("/n/b", 9'000'000'000, false)})});
    states.junk.setJunkScanning(false);
    states.junk.setJunkScanned(true);
    EXPECT_DOUBLE_EQ(states.shell.nebulaDensity(), 3e9 / 1.5e10 + 0.08);
    EXPECT_EQ(states.junk.junkSelectedTotal(), 3'000'000'000);
    EXPECT_GE(spy.count(), 2);
}

TEST(Removal, EmptyTargetListStillPublishesAnOutcome)
{
    FeatureStates states;
    states.shell.setMessage("earlier");
    const qint64 before = states.removals.totalFreed();
    QSignalSpy busy(&states.removals, &RemovalState::busyChanged);
    bool completed = false;
    states.removals.perform({}, [&] { completed = true; });
    EXPECT_TRUE(states.removals.busy());
    ASSERT_EVENTUALLY(completed, 5000);
    EXPECT_FALSE(states.removals.busy());
    EXPECT_EQ(busy.count(), 2);
    EXPECT_EQ(states.removals.totalFreed(), before);
    EXPECT_FALSE(states.removals.celebrating());
    EXPECT_EQ(states.shell.message(), "earlier");  // nothing to report leaves it as it was
}

TEST(CleanJunk, RemovesTheTickedItemsAndPrunesWhatIsGone)
{
    const auto home = FS::home() / "clean-fixture";
    for (const char* name : {"cache-a", "cache-b", "vanishes"})
        writeBytes(home / name / "blob", 50'000);

    FeatureStates states;
    JunkGroup group = groupOf("caches", {itemAt(home / "cache-a", 50'000, true), itemAt(home / "cache-b", 60'000, false),
                                         itemAt(home / "vanishes", 70'000, true)});
    group.permanent = true;
    states.junk.setJunkGroups({group});
    states.junk.setJunkScanned(true);
    EXPECT_EQ(states.junk.junkSelectedTotal(), 120'000);
    EXPECT_EQ(states.junk.junkUnselectedTotal(), 60'000);
    EXPECT_FALSE(states.junk.junkAllCleaned());
    std::filesystem::remove_all(home / "vanishes");  // gone between scan and clean

    const qint64 before = states.removals.totalFreed();
    states.junk.cleanJunk();
    ASSERT_EVENTUALLY(!states.removals.busy(), 5000);
    ASSERT_EVENTUALLY(states.junk.junkGroups().size() == 1 && states.junk.junkGroups()[0].items.size() == 1, 5000);

    EXPECT_FALSE(std::filesystem::exists(home / "cache-a"));
    EXPECT_TRUE(std::filesystem::exists(home / "cache-b"));  // unticked: untouched
    EXPECT_FALSE(states.shell.hasMessage());                         // a vanished item is no failure
    EXPECT_EQ(states.removals.totalFreed(), before + 50'000);
    ASSERT_TRUE(states.removals.celebrating());
    EXPECT_EQ(states.removals.celebrateFreed(), 50'000);
    EXPECT_TRUE(Prefs::standard()->contains("lastClean"));
    EXPECT_TRUE(states.junk.junkScanned());  // the pruned result stays on screen
    EXPECT_TRUE(states.junk.junkAllCleaned());  // and says that all it ticked is gone
    EXPECT_EQ(states.junk.junkUnselectedTotal(), 60'000);
}

TEST(CleanJunk, TickingFollowsTheGroupRules)
{
    FeatureStates states;
    states.junk.setJunkGroups({groupOf("trash", {itemAt("/nowhere/a", 10, true), itemAt("/nowhere/b", 20, false)})});
    states.junk.toggleJunkGroup("trash");  // some ticked → all ticked
    EXPECT_EQ(states.junk.junkSelectedTotal(), 30);
    states.junk.toggleJunkGroup("trash");  // all ticked → none
    EXPECT_EQ(states.junk.junkSelectedTotal(), 0);
    states.junk.toggleJunkItem("trash", states.junk.junkGroups()[0].items[1].id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(states.junk.junkSelectedTotal(), 20);
    EXPECT_EQ(states.junk.junkGroupModel()->count(), 1);
    EXPECT_TRUE(states.junk.junkGroupModel()->get(0).value("someOn").toBool());
    EXPECT_FALSE(states.junk.junkGroupModel()->get(0).value("allOn").toBool());

    // the confirmation's plan follows the ticks while it is shown: installers
    // go to the Trash only once one is ticked, and nothing after it closed
    JunkGroup caches = groupOf("caches", {itemAt("/nowhere/c", 5, true)});
    caches.permanent = true;
    states.junk.setJunkGroups({caches, groupOf("installers", {itemAt("/nowhere/setup.deb", 7, false)})});
    states.junk.planClean();
    EXPECT_EQ(Plan::totalOf(states.junk.cleanPlanRecord(), Plan::Fate::trashed).count, 0);
    states.junk.toggleJunkGroup("installers");
    EXPECT_EQ(Plan::totalOf(states.junk.cleanPlanRecord(), Plan::Fate::trashed).count, 1);
    EXPECT_EQ(states.junk.cleanPlan().value("lines").toStringList().size(), 2);
    states.junk.closePlan();
    EXPECT_TRUE(states.junk.cleanPlan().isEmpty());
}

TEST(LargestFirst, KeepsFourAndTheOrderOfEqualTotals)
{
    EXPECT_EQ(largestFirst({5, 9, 5, 1, 9, 7}, 4), (std::vector<std::size_t>{1, 4, 5, 0}));
    EXPECT_EQ(largestFirst({3, 1}, 4), (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(largestFirst({}, 4).empty());
}

TEST(ScanJunk, ASecondStartWhileScanningChangesNothing)
{
    FeatureStates states;
    QSignalSpy published(&states.junk, &JunkState::junkGroupsChanged);
    states.junk.scanJunk();
    states.junk.scanJunk();
    EXPECT_TRUE(states.junk.junkScanning());
    ASSERT_EVENTUALLY(states.junk.junkScanned(), 20000);
    EXPECT_FALSE(states.junk.junkScanning());
    QTest::qWait(600);
    EXPECT_EQ(published.count(), 1);
}

TEST(ScanJunk, TheSystemsGroupsJoinTheListAsEachPartIsRead)
{
    // apt answers only when the test lets it: the home folder's groups and the
    // system's folders are listed before, the packages after.
    const std::filesystem::path root = freshFolder("states-system-root");
    writeBytes(root / "var/lib/systemd/coredump/core.vim.1000.2.zst", 20'000);
    auto release = std::make_shared<std::atomic<bool>>(false);
    const FixtureSystem system(root, [release](const std::string& command) {
        if (command.find("apt-get -s autoremove") != std::string::npos) {
            for (int i = 0; i < 1000 && !*release; ++i)
                QThread::msleep(10);
            return Shell::Result{true, "Remv libfoo1 [1.0-1]\n"};
        }
        if (command.find("dpkg-query") != std::string::npos)
            return Shell::Result{true, "libfoo1\t1.0-1\t12\toptional\tno\n"};
        return Shell::Result{};
    });
    const auto ids = [](const JunkState& junk) {
        std::vector<QString> list;
        for (const JunkGroup& group : junk.junkGroups())
            list.push_back(group.id);
        return list;
    };
    FeatureStates states;
    states.junk.scanJunk();
    ASSERT_EVENTUALLY(states.junk.junkScanned(), 20000);
    EXPECT_EQ(ids(states.junk), (std::vector<QString>{"coredumps"}));
    EXPECT_TRUE(states.junk.junkSystemPending());
    *release = true;
    ASSERT_EVENTUALLY(!states.junk.junkSystemPending(), 20000);
    EXPECT_EQ(ids(states.junk), (std::vector<QString>{"coredumps", "autoremove"}));
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

    FeatureStates states;
    states.large.setLargeMin(1);
    states.large.scanLarge();
    // a second start at once: the first scan's result must be dropped
    states.large.setLargeMin(10'000'000'000);
    states.large.scanLarge();
    ASSERT_EVENTUALLY(states.large.largeScanned() && !states.large.largeScanning(), 20000);
    QTest::qWait(300);
    EXPECT_EQ(states.large.largeCount(), 0);
    // none is a sentence, the one the command line prints too
    EXPECT_EQ(states.large.largeSummary(), Sweeper::largeCountSentence(0, Fmt::bytes(10'000'000'000)));
    EXPECT_EQ(states.large.largeSummary(), LF("Nenhum arquivo acima de %@", Fmt::bytes(10'000'000'000)));

    states.large.setLargeMin(150'000);
    states.large.scanLarge();
    states.large.cancelLarge();  // read at every folder: the walk stops at once, and what it found still arrives
    ASSERT_EVENTUALLY(!states.large.largeScanning(), 20000);
    EXPECT_LE(states.large.largeCount(), 2);
    states.large.scanLarge();
    ASSERT_EVENTUALLY(!states.large.largeScanning(), 20000);
    ASSERT_EQ(states.large.largeCount(), 2);
    EXPECT_EQ(states.large.largeFiles()[0].url.filename(), "a.bin");

    states.large.toggleLargeFile(states.large.largeFiles()[1].id.toString(QUuid::WithoutBraces));
    states.large.toggleLargeFile(states.large.largeFiles()[0].id.toString(QUuid::WithoutBraces));
    states.large.toggleLargeFile(states.large.largeFiles()[0].id.toString(QUuid::WithoutBraces));  // a unticked again
    EXPECT_EQ(states.large.largeSelectedTotal(), 200'000);
    EXPECT_EQ(states.large.largeSelectedCount(), 1);

    // A higher threshold filters the list at once; a ticked file it hides is
    // neither counted nor moved. A lower one keeps the walk's list and says so.
    states.large.setLargeMin(250'000);
    EXPECT_EQ(states.large.largeCount(), 1);
    EXPECT_EQ(states.large.largeSelectedCount(), 0);
    EXPECT_FALSE(states.large.largeListAboveMin());
    states.large.trashLarge();
    ASSERT_EVENTUALLY(!states.removals.busy(), 20000);
    EXPECT_TRUE(std::filesystem::exists(home / "large-fixture/b.bin"));
    states.large.setLargeMin(1);
    EXPECT_TRUE(states.large.largeListAboveMin());
    EXPECT_EQ(states.large.largeCount(), 2);
    EXPECT_EQ(states.large.largeShownMinLabel(), Fmt::bytes(150'000));
    states.large.setLargeMin(150'000);
    states.large.trashLarge();
    ASSERT_EVENTUALLY(!states.removals.busy() && states.large.largeCount() == 1, 20000);
    EXPECT_EQ(states.large.largeFiles()[0].url.filename(), "a.bin");
    EXPECT_FALSE(states.large.largeFiles()[0].selected);
    EXPECT_TRUE(std::filesystem::exists(FS::trashFolder() / "b.bin"));
    EXPECT_EQ(states.removals.celebrateTrashed(), 200'000);
    EXPECT_EQ(states.large.largeMinLabel(), "150\u00A0KB");  // none of the offered thresholds: its size
    states.large.setLargeMin(1'000'000'000);
    EXPECT_EQ(states.large.largeMinLabel(), "1\u00A0GB");
}

TEST(Duplicates, TheKeptCopyIsNeverTickedAndTheUsersChoicesOutliveARemoval)
{
    const auto folder = freshFolder("dupes-state");
    const auto write = [&](const char* name, char fill, int size, int daysOld) {
        writeFile(folder / name, std::string(std::size_t(size), fill));
        std::filesystem::last_write_time(folder / name, std::filesystem::file_time_type::clock::now()
                                                            - std::chrono::hours(24 * daysOld));
    };
    write("X/one", 'x', 40'000, 9);  // the oldest: kept
    write("X/two", 'x', 40'000, 8);
    write("X/three", 'x', 40'000, 7);
    write("Y/p", 'y', 30'000, 6);
    write("Y/q", 'y', 30'000, 5);
    write("Z/m1", 'z', 20'000, 4);
    write("Z/m2", 'z', 20'000, 3);

    FeatureStates states;
    DupesState& dupes = states.dupes;
    dupes.chooseDupesFolder(QString::fromStdString(folder.native()));
    dupes.setDupesMin(0);
    dupes.scanDupes();
    ASSERT_EVENTUALLY(dupes.dupesScanned() && !dupes.dupesScanning(), 20000);
    ASSERT_EQ(dupes.dupesGroupCount(), 3);
    EXPECT_EQ(dupes.dupesSelectedCount(), 4);  // all but the kept copies
    const auto row = [&](const char* name) {
        for (const QVariantMap& r : dupes.dupesModel()->rows())
            if (r.value("path").toString() == QString::fromStdString((folder / name).native()))
                return r;
        ADD_FAILURE() << name;
        return QVariantMap();
    };
    const auto id = [&](const char* name) { return row(name).value("rowId").toString(); };

    // Untick two, then tick the kept copy: refused, and its row says why.
    dupes.toggleDupe(id("X/two"));
    dupes.toggleDupe(id("X/one"));
    EXPECT_FALSE(row("X/one").value("selected").toBool());
    EXPECT_TRUE(row("X/one").value("kept").toBool());
    EXPECT_FALSE(row("X/one").value("mayTick").toBool());
    EXPECT_EQ(row("X/one").value("cost").toLongLong(), 0);  // it never goes, so it frees nothing
    EXPECT_EQ(row("X/two").value("cost").toLongLong(), 40'000);
    EXPECT_EQ(row("X/one").value("refusal").toString(), L("A mantida fica: use “Manter esta” em outra cópia"));
    EXPECT_EQ(row("X/two").value("refusal").toString(), QString());
    // "Keep this one" on two: two is kept and unticked, one becomes an ordinary, ticked copy.
    dupes.keepDupe(id("X/two"));
    EXPECT_TRUE(row("X/two").value("kept").toBool());
    EXPECT_FALSE(row("X/two").value("selected").toBool());
    EXPECT_FALSE(row("X/one").value("kept").toBool());
    EXPECT_TRUE(row("X/one").value("selected").toBool());
    EXPECT_EQ(row("X/one").value("refusal").toString(), QString());  // said once
    dupes.selectNoDupes();
    dupes.selectAllDupes();  // every copy but the kept ones
    EXPECT_EQ(dupes.dupesSelectedCount(), 4);
    EXPECT_FALSE(row("X/two").value("selected").toBool());

    // Untick both ticked copies of X; m2 changes after the scan; move the rest.
    dupes.toggleDupe(id("X/one"));
    dupes.toggleDupe(id("X/three"));
    std::filesystem::last_write_time(folder / "Z/m2", std::filesystem::file_time_type::clock::now());
    dupes.trashDupes();
    ASSERT_EVENTUALLY(!states.removals.busy() && dupes.dupesGroupCount() == 2, 20000);
    EXPECT_FALSE(std::filesystem::exists(folder / "Y/q"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Z/m2"));
    EXPECT_EQ(dupes.dupesSelectedCount(), 0);  // X's unticks hold; m2 stays, unticked, with its reason
    EXPECT_TRUE(row("X/two").value("kept").toBool());
    EXPECT_EQ(row("Z/m2").value("note").toString(), L("mudou depois da análise"));
    EXPECT_FALSE(row("Z/m2").value("selected").toBool());

    // A new search of the same files keeps the user's choices; m2 is looked at afresh.
    dupes.scanDupes();
    ASSERT_EVENTUALLY(dupes.dupesScanned() && !dupes.dupesScanning(), 20000);
    EXPECT_TRUE(row("X/two").value("kept").toBool());
    EXPECT_FALSE(row("X/one").value("selected").toBool() || row("X/three").value("selected").toBool());
    EXPECT_TRUE(row("Z/m2").value("selected").toBool());
    EXPECT_EQ(row("Z/m2").value("note").toString(), QString());
}

TEST(ScanJunk, TheUsersTicksOutliveANewScanButATickNeverPassesToAnotherFile)
{
    const auto home = FS::home();
    writeBytes(home / ".cache/browser/entry", 8192);
    writeBytes(home / "Downloads/tool_2.0_amd64.deb", 8192);
    FeatureStates states;
    const auto item = [&](const QString& group) -> const JunkItem* {
        for (const JunkGroup& g : states.junk.junkGroups())
            if (g.id == group && !g.items.empty())
                return &g.items.front();
        return nullptr;
    };
    const auto scan = [&] {
        states.junk.rescanJunk();
        ASSERT_EVENTUALLY(states.junk.junkScanned() && !states.junk.junkScanning(), 20000);
    };
    scan();
    ASSERT_TRUE(item("caches") && item("installers"));
    ASSERT_TRUE(item("caches")->selected);
    ASSERT_FALSE(item("installers")->selected);
    states.junk.toggleJunkItem("caches", item("caches")->id.toString(QUuid::WithoutBraces));
    states.junk.toggleJunkItem("installers", item("installers")->id.toString(QUuid::WithoutBraces));

    scan();
    EXPECT_FALSE(item("caches")->selected);    // kept as the user left it
    EXPECT_TRUE(item("installers")->selected);

    // another file under the same name is not what the user ticked
    writeBytes(home / "Downloads/tool.new", 8192);
    std::filesystem::rename(home / "Downloads/tool.new", home / "Downloads/tool_2.0_amd64.deb");
    scan();
    EXPECT_FALSE(item("installers")->selected);
    EXPECT_FALSE(item("caches")->selected);
}

namespace {

// A copy as the searches hand it over: a path, an identity, and what was read of it as a picture.
Dupes::ShownCopy shownCopy(const std::filesystem::path& path, ino_t inode, int width, int height, bool kept = false)
{
    Dupes::ShownCopy copy;
    copy.copy.file = {path.native(), 1, inode, 100'000 + width, 0, 1};
    copy.picture = {width, height, "JPEG", kept ? 0 : 3};
    copy.kept = kept;
    return copy;
}

} // namespace

TEST(Duplicates, EachViewKeepsItsSearchAndPicturesStartAndStayUnticked)
{
    FeatureStates states;
    DupesState& dupes = states.dupes;
    const std::filesystem::path home = FS::home();
    Dupes::Group identical;
    identical.size = 5'000;
    identical.copies = {shownCopy(home / "a.txt", 1, 0, 0, true), shownCopy(home / "b.txt", 2, 0, 0)};
    identical.copies[1].selected = true;
    dupes.setGroups({identical}, 0);

    dupes.setDupesMin(100'000);
    dupes.setDupesView(1);
    EXPECT_EQ(dupes.dupesMin(), 0);  // each view its own smallest file: the small copies of a photo count
    EXPECT_FALSE(dupes.dupesScanned());
    EXPECT_EQ(dupes.dupesGroupCount(), 0);
    Dupes::Group pictures;
    pictures.similar = true;
    const std::filesystem::path odd = home / "Fotos/praia\nnova\xff.jpg";  // a newline and a byte that is not UTF-8
    pictures.copies = {shownCopy(home / "Fotos/praia.jpg", 10, 4000, 3000, true), shownCopy(odd, 11, 1600, 1200),
                       shownCopy(home / "Fotos/praia.webp", 12, 800, 600)};
    dupes.setGroups({pictures}, 2, 1);
    EXPECT_EQ(dupes.dupesUnreadable(), 2);
    EXPECT_EQ(dupes.dupesTooLarge(), 1);
    EXPECT_EQ(dupes.dupesSelectedCount(), 0);
    const auto row = [&](std::size_t copy) { return dupes.dupesModel()->rows().at(qsizetype(1 + copy)); };
    EXPECT_EQ(row(0).value("resolution").toString(), "4000 × 3000");
    EXPECT_EQ(row(0).value("format").toString(), "JPEG");
    EXPECT_TRUE(dupes.dupesModel()->rows().at(0).value("similar").toBool());
    EXPECT_EQ(row(1).value("url").toUrl(), QUrl::fromLocalFile(row(1).value("path").toString()));

    // "Select the smaller ones": every picture but the kept one.
    dupes.selectAllDupes();
    EXPECT_EQ(dupes.dupesSelectedCount(), 2);
    EXPECT_FALSE(row(0).value("selected").toBool());
    // Keeping another picture leaves the one kept before unticked.
    dupes.selectNoDupes();
    dupes.keepDupe(row(2).value("rowId").toString());
    EXPECT_TRUE(row(0).value("kept").toBool());  // the kept copy comes first
    EXPECT_EQ(row(0).value("path").toString(), QString::fromStdString((home / "Fotos/praia.webp").native()));
    EXPECT_EQ(dupes.dupesSelectedCount(), 0);

    // The never-touch list takes the kept picture away: the one with the most pixels left is kept.
    EXPECT_EQ(states.neverTouch.add(QString::fromStdString((home / "Fotos/praia.webp").native())), QString());
    ASSERT_EQ(dupes.dupesGroupCount(), 1);
    EXPECT_EQ(row(0).value("path").toString(), QString::fromStdString((home / "Fotos/praia.jpg").native()));
    EXPECT_TRUE(row(0).value("kept").toBool());
    EXPECT_EQ(dupes.dupesSelectedCount(), 0);
    EXPECT_EQ(dupes.ignoredCount(), 1);

    // The identical copies' view shows its own search as it was left.
    dupes.setDupesView(0);
    EXPECT_EQ(dupes.dupesMin(), 100'000);
    EXPECT_EQ(dupes.dupesGroupCount(), 1);
    EXPECT_EQ(dupes.dupesSelectedCount(), 1);
    EXPECT_EQ(dupes.dupesTooLarge(), 0);
    EXPECT_EQ(dupes.ignoredCount(), 0);
    for (const QString& key : states.neverTouch.keys())
        states.neverTouch.remove(key);
}

TEST(Lint, TheTicksMakeThePlanAndWhatARemovalLeftStaysUnticked)
{
    namespace fs = std::filesystem;
    const fs::path folder = freshFolder("lint-state");
    fs::create_directories(folder / "tree/a/b");
    fs::create_directories(folder / "filled");
    fs::create_symlink(folder / "missing", folder / "dangling");
    fs::create_symlink(folder / "tree", folder / "mended");  // its target came back after the search
    const auto item = [](Lint::Kind kind, const fs::path& path, int folders = 1) {
        Lint::Item found;
        found.kind = kind;
        found.path = path.native();
        found.folders = folders;
        found.selected = true;
        return found;
    };
    FeatureStates states;
    LintState& lint = states.lint;
    lint.setItems({item(Lint::Kind::EmptyFolder, folder / "tree", 3), item(Lint::Kind::EmptyFolder, folder / "filled"),
                   item(Lint::Kind::BrokenLink, folder / "dangling"), item(Lint::Kind::BrokenLink, folder / "mended"),
                   item(Lint::Kind::BrokenLink, folder / "gone")});
    ASSERT_EQ(lint.lintCount(), 5);
    const auto row = [&](int i) { return lint.lintModel()->rows().at(i); };
    EXPECT_EQ(row(0).value("kind").toString(), "folder");
    EXPECT_EQ(row(0).value("folders").toInt(), 3);
    EXPECT_EQ(row(2).value("kind").toString(), "link");

    lint.selectNoLint();
    for (const char* id : {"1", "2", "3", "4", "99"})  // 99: no such row
        lint.toggleLint(id);
    EXPECT_EQ(lint.lintSelectedCount(), 4);
    lint.planLint();
    EXPECT_FALSE(lint.lintPlan().isEmpty());
    std::vector<Lint::Item> ticked;
    for (const Lint::Item& each : lint.items())
        if (each.selected)
            ticked.push_back(each);
    EXPECT_EQ(lint.lintPlanRecord().items.size(), Lint::planRecord(ticked).items.size());

    // A place added to the never-touch list hides what it covers, and the plan shown follows.
    EXPECT_EQ(states.neverTouch.add(QString::fromStdString((folder / "gone").native())), QString());
    EXPECT_EQ(lint.lintCount(), 4);
    EXPECT_EQ(lint.ignoredCount(), 1);
    EXPECT_EQ(lint.lintSelectedCount(), 3);
    for (const QString& key : states.neverTouch.keys())
        states.neverTouch.remove(key);

    // After the search the folder was filled, the link mended, the other link
    // removed by someone else: the first two stay, unticked, with a reason; the last leaves.
    writeFile(folder / "filled/note.txt", "x");
    fs::remove(folder / "dangling");
    lint.removeLint();
    ASSERT_EVENTUALLY(!states.removals.busy() && lint.lintCount() == 3, 20000);
    EXPECT_EQ(lint.lintSelectedCount(), 0);
    EXPECT_FALSE(lint.items()[1].held.isEmpty());
    EXPECT_FALSE(lint.items()[2].held.isEmpty());
    EXPECT_TRUE(lint.items()[0].held.isEmpty());  // not ticked: not tried
    EXPECT_TRUE(fs::exists(folder / "filled/note.txt"));
    EXPECT_TRUE(fs::exists(folder / "tree/a/b"));
}
