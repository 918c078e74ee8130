// Snapper's snapshots over its recorded output (btrfs with quotas, Debian
// 12's snapper): which may ever be offered, and what each frees.
#include <gtest/gtest.h>

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

TEST(SnapshotStore, MeasuredSizesReadBackAsTheyWereWritten)
{
    std::vector<Snapshot> snapshots = recorded();
    snapshots[1].exclusiveBytes.reset();  // quotas could not tell
    const QString detail = measuredDetail(snapshots);
    EXPECT_EQ(detail, "1=5259264 3=15745024 4=16384 5=16384 6=16384");
    EXPECT_EQ(parseMeasured(detail),
              (std::map<int, std::int64_t>{{1, 5259264}, {3, 15745024}, {4, 16384}, {5, 16384}, {6, 16384}}));
    EXPECT_EQ(measuredDetail({}), "");
    EXPECT_TRUE(parseMeasured("").empty());

    // Whatever is not two plain numbers is skipped; a number given twice keeps its first size.
    EXPECT_EQ(parseMeasured("  2=7  x=1 3=-4 4=+5 05=1 6= =6 7=8=9 8=1e3 9=0x10 1000000000=1 0=5 "
                            "10=9999999999999999999 11=\u0663 12=1\t 2=99 13=0 14=999999999999999999"),
              (std::map<int, std::int64_t>{{2, 7}, {13, 0}, {14, 999999999999999999}}));
}
