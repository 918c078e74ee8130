#pragma once
// File-system snapshots as Timeshift keeps them: where they lie on this
// system, what each one's info.json says, what deleting one frees, and how
// they meet the same rule as Snapper's (see SnapshotStore.h).
//
// Timeshift names each snapshot after the local time it began
// ("2026-12-01_10-00-01") and keeps it in SNAPSHOTS/NAME: in rsync mode
// SNAPSHOTS is MOUNT/timeshift/snapshots on the backup device and the copy is
// NAME/localhost, sharing every unchanged file with the other snapshots
// through hard links; in btrfs mode SNAPSHOTS is TOP/timeshift-btrfs/snapshots
// on the system's btrfs file system and NAME/@ and NAME/@home are
// subvolumes. NAME/info.json is written once the snapshot is finished.
//
// Only reading here: nothing runs Timeshift or btrfs, nothing is removed.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "engines/junk/SnapshotStore.h"

namespace Snapshots {

// What a snapshot's info.json says.
struct TimeshiftInfo {
    QDateTime created;   // local time; invalid when it gives none
    QStringList tags;    // "ondemand", "boot", "hourly", "daily"... as written
    QString comments;
    bool live = false;   // Timeshift's mark for the one the system runs from until the next boot
};

// info.json's text; nothing when it is not one JSON object.
std::optional<TimeshiftInfo> parseTimeshiftInfo(const QByteArray& json);

// What Timeshift's configuration says about where its snapshots are.
struct TimeshiftConfig {
    QString backupDeviceUuid;  // empty when none is chosen, or when it is no UUID
    bool btrfsMode = false;
};

// /etc/timeshift/timeshift.json (or default.json); nothing when it is not one JSON object.
std::optional<TimeshiftConfig> parseTimeshiftConfig(const QByteArray& json);

// "btrfs qgroup show --raw": each subvolume's exclusive bytes by its id
// (quota group 0/ID). Empty when quotas are off or the text is something else.
std::map<std::int64_t, std::int64_t> parseQgroupShow(const QString& text);

// "btrfs subvolume list": each subvolume's id by its path from the top level.
std::map<QString, std::int64_t> parseSubvolumeList(const QString& text);

// What deleting Timeshift's btrfs snapshot `name` frees: the exclusive bytes
// of its @ and (where it has one) @home subvolumes, summed. Nothing when its
// @ is not in `ids` or any of its subvolumes is not in `exclusive` (quotas off).
std::optional<std::int64_t> btrfsExclusiveBytes(const QString& name, const std::map<std::int64_t, std::int64_t>& exclusive,
                                                const std::map<QString, std::int64_t>& ids);

struct TimeshiftSnapshot {
    QString name;                  // "2026-12-01_10-00-01"
    std::filesystem::path folder;  // SNAPSHOTS/NAME
    QDateTime created;             // from info.json; invalid when it gives none
    QStringList tags;
    QString comments;
    bool live = false;
    // info.json is there and reads as one. A snapshot still being made (or
    // one whose making broke off) has none: it is listed, never offered.
    bool complete = false;
};

// The snapshots in `snapshotsFolder`, by name. Entries whose name is not
// Timeshift's date form, and anything that is not a real folder (a link to
// one included), are passed over; nothing when the folder itself is a link
// or cannot be read.
std::vector<TimeshiftSnapshot> listTimeshift(const std::filesystem::path& snapshotsFolder);

// Where this system's Timeshift snapshots can be read now.
struct TimeshiftPlace {
    std::filesystem::path snapshots;  // under `root`
    bool btrfs = false;
};

// Reads Timeshift's configuration under `root` and finds where its backup
// device (by /dev/disk/by-uuid) is mounted, from <procRoot>/self/mountinfo:
// the mount holding timeshift/snapshots (rsync mode; on the system's own
// disk that is /timeshift/snapshots) or timeshift-btrfs/snapshots (btrfs
// mode; only while the top level is mounted, as Timeshift does under
// /run/timeshift). Nothing when Timeshift has no device, the device is not
// mounted, or no such folder is there.
std::optional<TimeshiftPlace> findTimeshift(const std::filesystem::path& root,
                                            const std::filesystem::path& procRoot = "/proc");

// What deleting snapshots frees, and whether all of each could be read.
struct Freed {
    std::int64_t bytes = 0;
    bool complete = true;  // false when some folder in them could not be read
};

// What deleting Timeshift's rsync snapshot in `snapshotFolder` frees: the
// blocks (st_blocks x 512) of every folder in it, itself included, and of
// every other entry whose hard links all lie inside it (each counted once).
// The walk follows no link and stays on the snapshot's file system.
Freed rsyncExclusiveBytes(const std::filesystem::path& snapshotFolder);

// The same for deleting all of `folders` together: an entry whose links all
// lie inside them counts, so a file shared only among them is in this figure
// though in no single one's. A folder listed twice or inside another counts once.
Freed rsyncExclusiveBytes(const std::vector<std::filesystem::path>& folders);

// Each of `snapshots` (the same order) as the Snapper rule sees one: config
// "timeshift", type "single", numbered 1, 2... by creation time (else the
// time in the name), so the newest complete one has the highest number; an
// incomplete one gets number 0, never the newest.
std::vector<Snapshot> asSnapshots(const std::vector<TimeshiftSnapshot>& snapshots);

// judge() over asSnapshots(snapshots), an incomplete one never offered.
std::vector<Verdict> judgeTimeshift(const std::vector<TimeshiftSnapshot>& snapshots, const QDateTime& now);

} // namespace Snapshots
