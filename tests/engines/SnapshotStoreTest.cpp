// Snapper's snapshots over its recorded output (btrfs with quotas, Debian
// 12's snapper): which may ever be offered, and what each frees.
#include <gtest/gtest.h>

#include "engines/junk/JunkScan.h"
#include "engines/junk/SnapshotGroups.h"
#include "engines/junk/SnapshotStore.h"
#include "support/Fixtures.h"

using namespace Snapshots;

namespace {

std::vector<Snapshot> recorded()
{
    const auto list = parseSnapperList(
        QByteArray::fromStdString(readFile(std::string(RECORDED_DIR) + "/snapper/list.json")));
    return list.value_or(std::vector<Snapshot>{});
}

QString readRecorded(const char* name)
{
    return QString::fromStdString(readFile(std::string(RECORDED_DIR) + "/snapper/" + name));
}

} // namespace

TEST(SnapshotStore, RecordedListHasEachSnapshotWithItsExclusiveSize)
{
    const std::vector<Snapshot> snapshots = recorded();
    ASSERT_EQ(snapshots.size(), 6u);  // the live file system (0) is none
    EXPECT_EQ(snapshots[0].number, 1);
    EXPECT_EQ(snapshots[0].exclusiveBytes, 5259264);
    EXPECT_EQ(snapshots[4].type, "post");
    EXPECT_EQ(snapshots[4].preNumber, 4);
    EXPECT_TRUE(snapshots[5].important);
    EXPECT_TRUE(snapshots[0].date.isValid());
}

TEST(SnapshotStore, TheWayBackIsNeverOffered)
{
    std::vector<Snapshot> snapshots = recorded();
    const QDateTime weekLater = snapshots[0].date.addDays(7);
    std::vector<Verdict> verdicts = judge(snapshots, {}, weekLater);
    std::vector<bool> offered;
    for (const Verdict& verdict : verdicts)
        offered.push_back(verdict.offered);
    // 1-3 single, 4/5 a pair, 6 important and the newest.
    EXPECT_EQ(offered, (std::vector<bool>{true, true, true, true, true, false}));

    // The same day: nothing. After a rollback into 3: 3 stays, and so does a pair whose post is kept.
    for (const Verdict& verdict : judge(snapshots, {}, snapshots[0].date.addSecs(3600)))
        EXPECT_FALSE(verdict.offered);
    const std::optional<int> rolledBack = defaultSnapshot(readRecorded("get-default-after-rollback.txt"));
    ASSERT_EQ(rolledBack, 3);
    EXPECT_EQ(defaultSnapshot(readRecorded("get-default.txt")), std::nullopt);
    snapshots[4].important = true;
    verdicts = judge(snapshots, {{"sbt", *rolledBack}}, weekLater);
    EXPECT_FALSE(verdicts[2].offered);
    EXPECT_FALSE(verdicts[3].offered);  // its post is important
    EXPECT_FALSE(verdicts[3].why.isEmpty());
    EXPECT_TRUE(verdicts[0].offered);
}

TEST(SnapshotStore, ForeignOutputGivesNothingAndOddRowsAreSkipped)
{
    EXPECT_FALSE(parseSnapperList("Failure (dbus fatal exception)."));
    EXPECT_FALSE(parseSnapperList(R"({"root": 3})"));
    const auto odd = parseSnapperList(
        R"({"root": [{"number": -4, "type": "single"}, {"number": 2.5, "type": "single"},
                     {"number": 7, "type": "rm -rf"}, {"number": 8, "type": "single", "used-space": -1}]})");
    ASSERT_TRUE(odd);
    ASSERT_EQ(odd->size(), 1u);
    EXPECT_EQ(odd->front().exclusiveBytes, std::nullopt);
    EXPECT_FALSE(odd->front().date.isValid());  // no date: kept as if young
    EXPECT_EQ(defaultSnapshot("ID 259 gen 14 top level 256 path .snapshots/3/snapshot/../../etc"), std::nullopt);
}

// The group as the junk page and the CLI show it: what is offered, how it is
// removed, and what an ordinary user who may not read the lists sees.
TEST(SnapshotStore, GroupOffersOldSnapshotsOneByOneAndThePairAsOne)
{
    using namespace SystemJunk;
    SnapperOutputs outputs;
    outputs.configs = readRecorded("list-configs.json").toUtf8();
    outputs.lists["sbt"] = readRecorded("list.json").toUtf8();
    const QDateTime weekLater = QDateTime(QDate(2026, 12, 16), QTime(12, 0));
    const std::optional<JunkGroup> group = snapperGroup(outputs, weekLater);
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->oneByOne);
    EXPECT_TRUE(group->atLeast);
    EXPECT_TRUE(group->measure.empty());  // root read everything
    ASSERT_EQ(group->items.size(), 4u);   // 1, 2, 3 and the pair 4/5; 6 is important and the newest
    QStringList ids;
    for (const JunkItem& item : group->items) {
        ids << item.toolId;
        EXPECT_FALSE(item.selected);
        EXPECT_FALSE(item.listedOnly);
    }
    EXPECT_EQ(ids, (QStringList{"sbt:1", "sbt:2", "sbt:3", "sbt:4"}));
    EXPECT_EQ(group->items[0].size, 5259264);
    EXPECT_EQ(group->items[0].url, "/mnt/sbt/.snapshots/1");
    EXPECT_EQ(group->items[3].size, 16384 * 2);
    EXPECT_EQ(group->items[3].actions, (std::vector<Admin::Action>{{Admin::kRemoveSnapperSnapshot, {"sbt", "4", "5"}}}));
    EXPECT_EQ(group->items[0].actions, (std::vector<Admin::Action>{{Admin::kRemoveSnapperSnapshot, {"sbt", "1", "0"}}}));

    // Young snapshots are all kept: nothing to offer, no group.
    EXPECT_FALSE(snapperGroup(outputs, QDateTime(QDate(2026, 12, 9), QTime(23, 0))));

    // Only what was named goes, never the whole group.
    const std::vector<JunkGroup> chosen = Sweeper::chosenGroups({*group}, {"snapper"}, {"sbt:2"});
    ASSERT_EQ(chosen.size(), 1u);
    ASSERT_EQ(chosen[0].items.size(), 1u);
    EXPECT_EQ(chosen[0].items[0].toolId, "sbt:2");
}

TEST(SnapshotStore, UnreadListIsListedOnlyUntilMeasured)
{
    using namespace SystemJunk;
    SnapperOutputs outputs;
    outputs.configs = readRecorded("list-configs.json").toUtf8();
    outputs.mayMeasure = true;  // snapperd said "No permissions." for the list
    const std::optional<JunkGroup> unread = snapperGroup(outputs, QDateTime(QDate(2026, 12, 16), QTime(12, 0)));
    ASSERT_TRUE(unread);
    ASSERT_EQ(unread->items.size(), 1u);
    EXPECT_TRUE(unread->items[0].listedOnly);
    EXPECT_FALSE(unread->items[0].sizeKnown);
    EXPECT_TRUE(unread->items[0].actions.empty());
    EXPECT_EQ(unread->measure, (std::vector<Admin::Action>{{Admin::kMeasureSnapshots, {"sbt"}}}));
    EXPECT_TRUE(Sweeper::chosenGroups({*unread}, {}, {}).empty());  // even when ticked by hand
    JunkGroup ticked = *unread;
    ticked.items[0].selected = true;
    EXPECT_TRUE(Sweeper::chosenGroups({ticked}, {}, {}).empty());

    const SnapperOutputs measured = withMeasured(outputs, {{"sbt", readRecorded("list.json").toUtf8()}});
    const std::optional<JunkGroup> group = snapperGroup(measured, QDateTime(QDate(2026, 12, 16), QTime(12, 0)));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->items.size(), 4u);
    EXPECT_TRUE(group->measure.empty());

    // A configuration whose name the helper would refuse is never offered.
    outputs.configs = R"({"configs":[{"config":"-c","subvolume":"/"},{"config":"a b","subvolume":"/x"}]})";
    EXPECT_FALSE(snapperGroup(outputs, QDateTime::currentDateTime()));
}

TEST(SnapshotStore, MeasuredListReadsBackAsSnapperWroteIt)
{
    std::vector<Snapshot> snapshots = recorded();
    snapshots[1].exclusiveBytes.reset();  // quotas could not tell
    snapshots[2].description = "line\nbreak \"quoted\" \x01 ünïcode";
    const QByteArray json = snapperListJson(snapshots);
    // One line: the helper's answer carries it as its detail.
    EXPECT_TRUE(std::none_of(json.begin(), json.end(), [](char c) { return (unsigned char)c < 0x20; }));
    const std::optional<std::vector<Snapshot>> back = parseSnapperList(json);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), snapshots.size());
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        EXPECT_EQ((*back)[i].number, snapshots[i].number);
        EXPECT_EQ((*back)[i].type, snapshots[i].type);
        EXPECT_EQ((*back)[i].preNumber, snapshots[i].preNumber);
        EXPECT_EQ((*back)[i].date, snapshots[i].date);
        EXPECT_EQ((*back)[i].description, snapshots[i].description);
        EXPECT_EQ((*back)[i].important, snapshots[i].important);
        EXPECT_EQ((*back)[i].exclusiveBytes, snapshots[i].exclusiveBytes);
        EXPECT_EQ((*back)[i].subvolume, snapshots[i].subvolume);
    }
}
