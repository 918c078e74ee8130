// Timeshift's snapshots: its recorded files (Timeshift 22.11.2, btrfs-progs
// 6.2), fixture snapshot folders sharing files through hard links, fixture
// roots with a configuration, device links and a mount table.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "engines/junk/SnapshotGroups.h"
#include "engines/junk/TimeshiftStore.h"
#include "i18n/L.h"
#include "platform/Shell.h"
#include "support/Fixtures.h"
#include "support/TempHome.h"

using namespace Snapshots;
namespace fs = std::filesystem;

namespace {

QByteArray recorded(const char* name)
{
    return QByteArray::fromStdString(readFile(std::string(RECORDED_DIR) + "/timeshift/" + name));
}

// What du says deleting the last of `folders` frees once the others are
// counted: du counts each inode once per run, in the order given, so a file
// the last folder shares with any earlier one is left out of its line.
std::int64_t duLast(const std::vector<fs::path>& folders)
{
    std::vector<std::string> args{"-s", "-B1", "--"};
    for (const fs::path& folder : folders)
        args.push_back(folder.native());
    const Shell::ProcessOutput du = Shell::runProcess("du", args);
    const QList<QByteArray> lines = du.out.trimmed().split('\n');
    return lines.isEmpty() ? -1 : lines.last().split('\t').first().toLongLong();
}

void writeInfo(const fs::path& snapshot, const std::string& created, const std::string& extra = "")
{
    writeFile(snapshot / "info.json", "{\n  \"created\" : \"" + created + "\",\n  \"tags\" : \"ondemand\",\n"
                                          "  \"comments\" : \"\",\n  \"type\" : \"rsync\"" + extra + "\n}\n");
}

} // namespace

TEST(TimeshiftStore, RecordedInfoAndConfiguration)
{
    const std::optional<TimeshiftInfo> rsync = parseTimeshiftInfo(recorded("info-rsync.json"));
    ASSERT_TRUE(rsync);
    EXPECT_EQ(rsync->created, QDateTime::fromSecsSinceEpoch(1796119201));
    EXPECT_EQ(rsync->tags, QStringList{"ondemand"});
    EXPECT_EQ(rsync->comments, "before the upgrade");
    EXPECT_FALSE(rsync->live);
    const std::optional<TimeshiftInfo> btrfs = parseTimeshiftInfo(recorded("info-btrfs.json"));
    ASSERT_TRUE(btrfs);
    EXPECT_TRUE(btrfs->created.isValid());

    // Nothing for what is no JSON object; no date for a time that is no count of seconds.
    EXPECT_FALSE(parseTimeshiftInfo("rsync-log\n"));
    EXPECT_FALSE(parseTimeshiftInfo("[1, 2]"));
    const auto odd = parseTimeshiftInfo(R"({"created": "-5", "tags": "daily  boot ", "live": "true"})");
    ASSERT_TRUE(odd);
    EXPECT_FALSE(odd->created.isValid());
    EXPECT_EQ(odd->tags, (QStringList{"daily", "boot"}));
    EXPECT_TRUE(odd->live);
    EXPECT_FALSE(parseTimeshiftInfo(R"({"created": "17961192O1"})")->created.isValid());

    for (const char* name : {"timeshift.json", "default.json"}) {
        const std::optional<TimeshiftConfig> config = parseTimeshiftConfig(recorded(name));
        ASSERT_TRUE(config) << name;
        EXPECT_TRUE(config->backupDeviceUuid.isEmpty());  // no device chosen yet
        EXPECT_FALSE(config->btrfsMode);
    }
    const auto chosen = parseTimeshiftConfig(R"({"backup_device_uuid": "7c2d4e6f-8a1b-4c3d-9e5f-a0b1c2d3e4f5",
                                                 "btrfs_mode": "true"})");
    EXPECT_EQ(chosen->backupDeviceUuid, "7c2d4e6f-8a1b-4c3d-9e5f-a0b1c2d3e4f5");
    EXPECT_TRUE(chosen->btrfsMode);
    // The UUID becomes a file name under /dev/disk/by-uuid: nothing else passes.
    EXPECT_TRUE(parseTimeshiftConfig(R"({"backup_device_uuid": "../../../etc/passwd"})")->backupDeviceUuid.isEmpty());
    EXPECT_FALSE(parseTimeshiftConfig("not json"));
}

TEST(TimeshiftStore, BtrfsSnapshotFreesTheExclusiveBytesOfItsSubvolumes)
{
    const auto exclusive = parseQgroupShow(QString::fromUtf8(recorded("qgroup-show.txt")));
    const auto ids = parseSubvolumeList(QString::fromUtf8(recorded("subvolume-list.txt")));
    EXPECT_EQ(ids.at("timeshift-btrfs/snapshots/2026-12-01_10-00-01/@"), 258);
    // The first holds a 3 MB file since removed from @; the second shares all with the live system.
    EXPECT_EQ(btrfsExclusiveBytes("2026-12-01_10-00-01", exclusive, ids), 3018752 + 16384);
    EXPECT_EQ(btrfsExclusiveBytes("2026-12-02_10-00-01", exclusive, ids), 16384 + 16384);
    EXPECT_EQ(btrfsExclusiveBytes("2026-12-09_10-00-01", exclusive, ids), std::nullopt);
    EXPECT_EQ(btrfsExclusiveBytes("../../@", exclusive, ids), std::nullopt);

    // Quotas off: no figure. Without @home (Timeshift's default) @ alone.
    const auto off = parseQgroupShow(QString::fromUtf8(recorded("qgroup-show-quotas-off.txt")));
    EXPECT_TRUE(off.empty());
    EXPECT_EQ(btrfsExclusiveBytes("2026-12-01_10-00-01", off, ids), std::nullopt);
    auto withoutHome = ids;
    withoutHome.erase("timeshift-btrfs/snapshots/2026-12-01_10-00-01/@home");
    EXPECT_EQ(btrfsExclusiveBytes("2026-12-01_10-00-01", exclusive, withoutHome), 3018752);

    // Snapper's layout reads the same; a path with blanks, the "-a" form, sizes with units.
    const auto snapper = parseQgroupShow(QString::fromStdString(readFile(std::string(RECORDED_DIR) + "/snapper/qgroup-show.txt")));
    EXPECT_EQ(snapper.at(257), 5259264);
    const auto snapperIds = parseSubvolumeList(QString::fromStdString(readFile(std::string(RECORDED_DIR) + "/snapper/subvolume-list.txt")));
    EXPECT_EQ(snapperIds.at(".snapshots/1/snapshot"), 257);
    const auto odd = parseSubvolumeList("ID 300 gen 1 top level 5 path <FS_TREE>/my disk/@\nID x gen 1 path y\n");
    EXPECT_EQ(odd, (std::map<QString, std::int64_t>{{"my disk/@", 300}}));
    EXPECT_TRUE(parseQgroupShow("0/257  16.00KiB  16.00KiB  @\n").empty());
}

TEST(TimeshiftStore, ListingPassesOverWhatTimeshiftWouldNotMake)
{
    const fs::path snapshots = freshFolder("timeshift-list/timeshift/snapshots");
    writeInfo(snapshots / "2026-12-01_10-00-01", "1796119201");
    writeInfo(snapshots / "2026-12-02_10-00-01", "1796205601");
    writeFile(snapshots / "2026-12-03_10-00-01/localhost/etc/hostname");  // still being made: no info.json
    writeFile(snapshots / "2026-12-04_10-00-01/info.json", "{\"created\": ");  // cut short
    writeFile(snapshots / "elsewhere/info.json", "{}");
    fs::create_directory_symlink(snapshots / "elsewhere", snapshots / "2026-12-05_10-00-01");
    fs::create_directories(snapshots / "2026-12-06_10-00-01");
    fs::create_symlink(snapshots / "2026-12-01_10-00-01/info.json", snapshots / "2026-12-06_10-00-01/info.json");
    writeInfo(snapshots / "2026-12-07_10-00-01\nx", "1");
    writeInfo(snapshots / "2026-12-08_10-00-\xff", "1");
    writeInfo(snapshots / "2026-13-40_10-00-01", "1");  // no such day
    fs::create_directories(snapshots / ".sync");
    writeFile(snapshots / "2026-12-09_10-00-01", "a file");

    const std::vector<TimeshiftSnapshot> listed = listTimeshift(snapshots);
    EXPECT_EQ(listOf(listed, &TimeshiftSnapshot::name),
              (std::vector<QString>{"2026-12-01_10-00-01", "2026-12-02_10-00-01", "2026-12-03_10-00-01",
                                    "2026-12-04_10-00-01", "2026-12-06_10-00-01"}));
    EXPECT_EQ(listOf(listed, &TimeshiftSnapshot::complete), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(listed[0].folder, snapshots / "2026-12-01_10-00-01");
    EXPECT_EQ(listed[1].created, QDateTime::fromSecsSinceEpoch(1796205601));
    EXPECT_FALSE(listed[2].created.isValid());

    // The snapshots folder itself behind a link is not read.
    const fs::path linked = freshFolder("timeshift-list") / "linked";
    fs::create_directory_symlink(snapshots, linked);
    EXPECT_TRUE(listTimeshift(linked).empty());
    EXPECT_TRUE(listTimeshift(snapshots / "missing").empty());
}

TEST(TimeshiftStore, NewestCompleteOneStaysAndAnIncompleteOneIsNeverOffered)
{
    const QDateTime day = QDateTime::fromSecsSinceEpoch(1796119201);
    const auto snapshot = [&](const char* name, int days, bool complete = true) {
        TimeshiftSnapshot made;
        made.name = name;
        made.complete = complete;
        if (days >= 0 && complete)
            made.created = day.addDays(days);
        return made;
    };
    std::vector<TimeshiftSnapshot> snapshots{
        snapshot("2026-12-03_10-00-01", 2),  snapshot("2026-12-01_10-00-01", 0),
        snapshot("2026-12-09_10-00-01", 8, false),  // the newest, still being made
        snapshot("2026-12-02_10-00-01", -1),        // no time in info.json: ordered by its name
        snapshot("2026-12-04_10-00-01", 3),
    };
    snapshots[4].live = true;  // the system runs from it until the next boot
    snapshots.push_back(snapshot("2026-12-05_10-00-01", 4));

    const std::vector<Snapshot> converted = asSnapshots(snapshots);
    EXPECT_EQ(listOf(converted, &Snapshot::number), (std::vector<int>{3, 1, 0, 2, 4, 5}));
    EXPECT_EQ(converted[0].config, "timeshift");
    EXPECT_EQ(converted[0].name, "2026-12-03_10-00-01");
    EXPECT_TRUE(converted[4].active);

    const std::vector<Verdict> verdicts = judgeTimeshift(snapshots, day.addDays(10));
    EXPECT_EQ(listOf(verdicts, &Verdict::offered), (std::vector<bool>{true, true, false, false, false, false}));
    EXPECT_EQ(verdicts[2].why, L("Incompleto ou ainda sendo feito"));
    EXPECT_EQ(verdicts[3].why, L("Tem menos de um dia"));  // undated: kept as if young
    EXPECT_EQ(verdicts[5].why, L("É o instantâneo mais recente"));
}

// Three rsync snapshots as Timeshift leaves them: each unchanged file is a
// hard link to the one in the snapshot before. The figures are checked
// against du, which counts an inode once per run: `du -s B C OUT A` gives on
// its last line what A holds that B, C and OUT (the folder with a link from
// outside every snapshot) do not, which is what deleting A alone frees;
// `du -s C OUT A B` gives on its last two lines what deleting A and B together frees.
TEST(TimeshiftStore, RsyncSnapshotFreesOnlyWhatNoOtherHolds)
{
    const fs::path base = freshFolder("timeshift-rsync");
    const fs::path a = base / "snapshots/2026-12-01_10-00-01", b = base / "snapshots/2026-12-02_10-00-01",
                   c = base / "snapshots/2026-12-03_10-00-01", out = base / "outside";
    const std::int64_t onlyA = writeBytes(a / "localhost/etc/only-a", 40000);
    const std::int64_t sharedAB = writeBytes(a / "localhost/etc/shared-ab", 80000);
    const std::int64_t everywhere = writeBytes(a / "localhost/usr/all", 160000);
    writeBytes(a / "localhost/var/linked-out", 320000);
    const std::int64_t odd = writeBytes(a / "localhost/home/na\nme-\xff\xfe", 24000);
    writeBytes(out / "big", 640000);
    for (const fs::path& snapshot : {b, c}) {
        fs::create_directories(snapshot / "localhost/etc");
        fs::create_directories(snapshot / "localhost/usr");
    }
    fs::create_hard_link(a / "localhost/etc/shared-ab", b / "localhost/etc/shared-ab");
    fs::create_hard_link(a / "localhost/usr/all", b / "localhost/usr/all");
    fs::create_hard_link(a / "localhost/usr/all", c / "localhost/usr/all");
    fs::create_hard_link(a / "localhost/var/linked-out", out / "linked-out");
    fs::create_symlink(out / "big", a / "localhost/etc/to-big");  // never followed
    writeInfo(a, "1796119201");
    writeInfo(b, "1796205601");

    const Freed freedA = rsyncExclusiveBytes(a);
    EXPECT_TRUE(freedA.complete);
    EXPECT_EQ(freedA.bytes, duLast({b, c, out, a}));
    EXPECT_GE(freedA.bytes, onlyA + odd);
    EXPECT_LT(freedA.bytes, onlyA + odd + sharedAB);  // the shared file is in no single figure
    EXPECT_EQ(rsyncExclusiveBytes(b).bytes, duLast({a, c, out, b}));
    EXPECT_EQ(rsyncExclusiveBytes(c).bytes, duLast({a, b, out, c}));

    // Together A and B free the file they share too, and C the one all three hold.
    const Freed freedAB = rsyncExclusiveBytes(std::vector<fs::path>{a, b});
    EXPECT_EQ(freedAB.bytes, duLast({c, out, a, b}) + duLast({c, out, a}));
    EXPECT_GE(freedAB.bytes - freedA.bytes - rsyncExclusiveBytes(b).bytes, sharedAB);
    const Freed all = rsyncExclusiveBytes(std::vector<fs::path>{a, b, c});
    EXPECT_GE(all.bytes - freedAB.bytes - rsyncExclusiveBytes(c).bytes, everywhere);
    // A folder listed twice, or inside another listed one, counts once.
    EXPECT_EQ(rsyncExclusiveBytes(std::vector<fs::path>{a, b, a / "localhost", b}).bytes, freedAB.bytes);

    // A link where a snapshot should be is not followed; a missing one frees nothing.
    fs::create_directory_symlink(a, base / "snapshots/2026-12-04_10-00-01");
    EXPECT_FALSE(rsyncExclusiveBytes(base / "snapshots/2026-12-04_10-00-01").complete);
    EXPECT_EQ(rsyncExclusiveBytes(base / "snapshots/2026-12-04_10-00-01").bytes, 0);
    const Freed missing = rsyncExclusiveBytes(base / "snapshots/2026-12-05_10-00-01");
    EXPECT_EQ(missing.bytes, 0);
    EXPECT_TRUE(missing.complete);
}

TEST(TimeshiftStore, NothingMountedInsideASnapshotCounts)
{
    const fs::path base = freshFolder("timeshift-mount");
    const fs::path snapshot = base / "2026-12-01_10-00-01";
    writeBytes(snapshot / "localhost/etc/file", 40000);
    fs::create_directories(snapshot / "localhost/mnt");
    const std::int64_t before = rsyncExclusiveBytes(snapshot).bytes;
    const std::int64_t emptyFolder = allocatedSize(snapshot / "localhost/mnt");
    writeBytes(base / "elsewhere/big", 400000);
    const BindMount mounted(base / "elsewhere", snapshot / "localhost/mnt");
    SKIP_UNLESS_MOUNTED(mounted);
    const Freed freed = rsyncExclusiveBytes(snapshot);
    EXPECT_EQ(freed.bytes, before - emptyFolder);  // the folder mounted on belongs to the other file system
    EXPECT_TRUE(freed.complete);
}

// A snapshot with a folder this user cannot read: the figure is what could
// be read, and says it is not all. Root reads through permission bits, so as
// root the measurement runs in a child process that has become "nobody",
// over a fixture under a folder everyone may pass through.
TEST(TimeshiftStore, UnreadableFolderMakesTheFigureIncomplete)
{
    std::string pattern = (fs::temp_directory_path() / "quillmoor-timeshift-XXXXXX").native();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    const fs::path base = pattern;
    fs::permissions(base, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                              | fs::perms::others_read | fs::perms::others_exec);
    const fs::path snapshot = base / "2026-12-01_10-00-01";
    const std::int64_t readable = writeBytes(snapshot / "localhost/etc/file", 40000);
    writeBytes(snapshot / "localhost/root/secret", 400000);
    fs::permissions(snapshot / "localhost/root", fs::perms::owner_all);  // as /root is

    Freed freed;
    if (geteuid() != 0) {
        fs::permissions(snapshot / "localhost/root", fs::perms::none);
        freed = rsyncExclusiveBytes(snapshot);
        fs::permissions(snapshot / "localhost/root", fs::perms::owner_all);
    } else {
        EXPECT_TRUE(rsyncExclusiveBytes(snapshot).complete);  // root reads it all
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const uid_t nobody = 65534;
            if (setresgid(nobody, nobody, nobody) != 0 || setresuid(nobody, nobody, nobody) != 0)
                _exit(2);
            const Freed seen = rsyncExclusiveBytes(snapshot);
            const bool written = write(report[1], &seen, sizeof seen) == ssize_t(sizeof seen);
            _exit(written ? 0 : 3);
        }
        close(report[1]);
        int status = 0;
        const bool read_ = read(report[0], &freed, sizeof freed) == ssize_t(sizeof freed);
        close(report[0]);
        waitpid(child, &status, 0);
        ASSERT_TRUE(read_ && WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    TempHome::removeAll(base);
    EXPECT_FALSE(freed.complete);
    EXPECT_GE(freed.bytes, readable);
    EXPECT_LT(freed.bytes, readable + 400000);
}

TEST(TimeshiftStore, SnapshotsAreFoundWhereTheBackupDeviceIsMounted)
{
    const fs::path root = freshFolder("timeshift-root"), proc = root / "proc";
    const std::string uuid = "3f1e2a9c-5b7d-4c1e-9a2b-0d6e8f4c1a23";
    writeFile(root / "dev/vdb1", "");  // a plain file: the match is by the mount's source
    writeFile(root / "dev/dm-0", "");
    fs::create_directories(root / "dev/disk/by-uuid");
    fs::create_directories(root / "dev/mapper");
    fs::create_symlink("../../vdb1", root / "dev/disk/by-uuid" / uuid);
    fs::create_symlink("../dm-0", root / "dev/mapper/luks-backup");
    fs::create_directories(root / "media/backup disk/timeshift/snapshots");
    const auto configure = [&](const std::string& device, bool btrfs) {
        writeFile(root / "etc/timeshift/timeshift.json",
                  "{\"backup_device_uuid\" : \"" + device + "\", \"btrfs_mode\" : \"" + (btrfs ? "true" : "false") + "\"}");
    };
    const auto mountTable = [&](const std::string& lines) { writeFile(proc / "self/mountinfo", lines); };
    const std::string system = "27 1 254:1 / / rw,relatime - ext4 /dev/vda1 rw\n";

    // Not configured, not mounted: nothing.
    mountTable(system);
    EXPECT_FALSE(findTimeshift(root, proc));
    configure(uuid, false);
    EXPECT_FALSE(findTimeshift(root, proc));

    // A backup disk, its mount point with a blank in it.
    mountTable(system + "45 27 8:17 / /media/backup\\040disk rw,relatime - ext4 /dev/vdb1 rw\n");
    const std::optional<TimeshiftPlace> place = findTimeshift(root, proc);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->snapshots, root / "media/backup disk/timeshift/snapshots");
    EXPECT_FALSE(place->btrfs);

    // The system's own disk: /timeshift/snapshots; reached through an unlocked LUKS device.
    fs::remove(root / "dev/disk/by-uuid" / uuid);
    fs::create_symlink("/dev/dm-0", root / "dev/disk/by-uuid" / uuid);
    fs::create_directories(root / "timeshift/snapshots");
    mountTable("27 1 254:0 / / rw,relatime - ext4 /dev/mapper/luks-backup rw\n");
    EXPECT_EQ(findTimeshift(root, proc)->snapshots, root / "timeshift/snapshots");
    // A timeshift folder that is a link is not taken.
    fs::remove_all(root / "timeshift");
    fs::create_directories(root / "elsewhere/snapshots");
    fs::create_directory_symlink(root / "elsewhere", root / "timeshift");
    EXPECT_FALSE(findTimeshift(root, proc));

    // btrfs: the system runs from @, Timeshift mounted the top level under /run/timeshift.
    configure(uuid, true);
    fs::create_directories(root / "run/timeshift/29164/backup/timeshift-btrfs/snapshots");
    mountTable("27 1 0:40 /@ / rw,relatime - btrfs /dev/mapper/luks-backup rw,subvol=/@\n"
               "46 27 0:40 / /run/timeshift/29164/backup rw,relatime - btrfs /dev/dm-0 rw,subvolid=5,subvol=/\n");
    const std::optional<TimeshiftPlace> btrfs = findTimeshift(root, proc);
    ASSERT_TRUE(btrfs);
    EXPECT_EQ(btrfs->snapshots, root / "run/timeshift/29164/backup/timeshift-btrfs/snapshots");
    EXPECT_TRUE(btrfs->btrfs);
    // Only @ mounted: the snapshots are out of sight.
    mountTable("27 1 0:40 /@ / rw,relatime - btrfs /dev/dm-0 rw,subvol=/@\n");
    EXPECT_FALSE(findTimeshift(root, proc));

    // A device that is not here, a UUID that tries to leave /dev/disk/by-uuid.
    configure("0000-1111", false);
    EXPECT_FALSE(findTimeshift(root, proc));
    configure("../../vdb1", false);
    EXPECT_FALSE(findTimeshift(root, proc));
}

// The junk group over a fixture system in rsync mode: what is offered, what
// each frees, how it goes; and the snapshot trees the walks never enter.
TEST(TimeshiftStore, GroupOffersOldCompleteSnapshotsOneByOne)
{
    const fs::path root = freshFolder("timeshift-group"), proc = root / "proc";
    const std::string uuid = "0b7c1f2e-9a3d-4e5f-8a1b-2c3d4e5f6a7b";
    writeFile(root / "dev/vda1", "");
    fs::create_directories(root / "dev/disk/by-uuid");
    fs::create_symlink("../../vda1", root / "dev/disk/by-uuid" / uuid);
    writeFile(root / "etc/timeshift/timeshift.json", "{\"backup_device_uuid\" : \"" + uuid + "\", \"btrfs_mode\" : \"false\"}");
    writeFile(proc / "self/mountinfo", "27 1 254:1 / / rw,relatime - ext4 /dev/vda1 rw\n");
    const fs::path snapshots = root / "timeshift/snapshots";
    const char* names[] = {"2026-11-01_10-00-01", "2026-11-08_10-00-01", "2026-11-15_10-00-01", "2026-11-16_10-00-01"};
    for (const char* name : names) {
        writeFile(snapshots / name / "localhost/etc/own", std::string(8192, 'x'));
        writeInfo(snapshots / name, std::to_string(QDateTime::fromString(QString(name), "yyyy-MM-dd_HH-mm-ss").toSecsSinceEpoch()));
    }
    writeFile(snapshots / "2026-11-20_10-00-01/localhost/etc/own", "being made");  // no info.json yet

    const QDateTime now(QDate(2026, 12, 9), QTime(12, 0));
    const std::optional<JunkGroup> group = SystemJunk::timeshiftGroup(root, proc, std::nullopt, now);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->title, L("Instantâneos do Timeshift (rsync)"));
    EXPECT_TRUE(group->oneByOne);
    EXPECT_TRUE(group->atLeast);
    ASSERT_EQ(group->items.size(), 3u);  // the newest complete one stays, the one being made too
    for (std::size_t i = 0; i < 3; ++i) {
        const JunkItem& item = group->items[i];
        EXPECT_EQ(item.toolId, names[i]);
        EXPECT_FALSE(item.selected);
        EXPECT_TRUE(item.sizeKnown);
        EXPECT_EQ(item.size, duLast({snapshots / names[i]}));  // shares nothing
        EXPECT_EQ(item.actions, (std::vector<Admin::Action>{{Admin::kRemoveTimeshiftSnapshot, {names[i]}}}));
    }

    // The trees never walked: Snapper's configured folders and Timeshift's.
    writeFile(root / "etc/snapper/configs/home", "FSTYPE=\"btrfs\"\nSUBVOLUME=\"/home\"\n");
    writeFile(root / "etc/snapper/configs/odd", "SUBVOLUME=relative\n");
    EXPECT_EQ(SystemJunk::snapshotTrees(root, proc), (std::vector<fs::path>{"/home/.snapshots", snapshots}));
}
