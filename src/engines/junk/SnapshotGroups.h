#pragma once
// File-system snapshots as junk groups: each snapshot that may go, with what
// deleting it frees, removed one by one through the snapshot tool by the
// administrator helper (which checks it again as root), never by deleting
// its folder.
//
// snapperGroup only reads the output it is handed, so it runs the same over
// recorded output; readSnapper is the one part that runs the tool.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include <QByteArray>
#include <QString>

#include "engines/junk/SnapshotStore.h"
#include "engines/junk/TimeshiftStore.h"
#include "engines/records/Junk.h"
#include "platform/Shell.h"

namespace SystemJunk {

// Whether the group is one of snapshots (each a way back, removed one by one).
bool isSnapshotGroup(const QString& groupId);

// The folders snapshots of whole file systems are kept in on this system
// (`root` "/"): each Snapper configuration's SUBVOLUME/.snapshots, as its
// file in etc/snapper/configs says, and where Timeshift's snapshots are
// mounted now. Never walked as files.
std::vector<std::filesystem::path> snapshotTrees(const std::filesystem::path& root = "/",
                                                 const std::filesystem::path& procRoot = "/proc");

// What Snapper printed for one scan.
struct SnapperOutputs {
    QByteArray configs;                      // snapper --jsonout list-configs
    std::map<QString, QByteArray> lists;     // each configuration's list, when this user may read it
    // Whether the administrator helper may be asked to measure what could not
    // be read (an ordinary user: Snapper's lists are root's unless a
    // configuration allows the user).
    bool mayMeasure = false;
};

// A configuration as list-configs gives it.
struct SnapperConfig {
    QString name;
    QString subvolume;
};
// Nothing for output that is not list-configs' JSON; configurations whose
// name the helper would refuse are left out.
std::optional<std::vector<SnapperConfig>> parseSnapperConfigs(const QByteArray& json);

// Runs Snapper through `run`: as root without its daemon, as anyone else
// through snapperd, which lets each user read the configurations that allow
// them. Nothing when Snapper is not there or has no configuration.
std::optional<SnapperOutputs> readSnapper(bool asRoot, const std::function<Shell::Result(const std::string&)>& run);

// "snapper": every snapshot `Snapshots::judge` offers, unticked, with its
// date and description and, where quotas are on, its exclusive bytes (what
// deleting it alone frees); a pre/post pair is one item. Removed only one by
// one (JunkGroup::oneByOne), each through remove-snapper-snapshot. A
// configuration this user may not read is one item standing for it, listed
// only, with its size unknown, and the group then offers to measure it.
// Nothing when nothing is offered and everything could be read.
std::optional<JunkGroup> snapperGroup(const SnapperOutputs& outputs, const QDateTime& now);

// What btrfs printed of Timeshift's btrfs snapshots (as root: quota groups
// and the subvolume list are closed to others); nothing in rsync mode.
struct TimeshiftOutputs {
    QString qgroupShow;     // btrfs qgroup show --raw TOP
    QString subvolumeList;  // btrfs subvolume list TOP
};
// Runs btrfs through `run` for the Timeshift snapshots of this system (`root`
// "/"), when they are btrfs ones; nothing otherwise.
std::optional<TimeshiftOutputs> readTimeshiftBtrfs(const std::function<Shell::Result(const std::string&)>& run);

// "timeshift": the snapshots Timeshift keeps on this system (found under
// `root`, its mounts in <procRoot>/self/mountinfo) that judgeTimeshift
// offers, unticked, each with what deleting it alone frees: in rsync mode the
// blocks of its files whose every hard link lies inside it, unknown when part
// of it could not be read; in btrfs mode its subvolumes' exclusive bytes from
// `btrfs` (unknown without). Removed one by one through
// remove-timeshift-snapshot. Nothing when Timeshift's snapshots are not
// there or none is offered.
std::optional<JunkGroup> timeshiftGroup(const std::filesystem::path& root, const std::filesystem::path& procRoot,
                                        const std::optional<TimeshiftOutputs>& btrfs, const QDateTime& now);

// The outputs with each configuration's list as the helper measured it
// (`measured`: the compact lists, by configuration): what this user could not read.
SnapperOutputs withMeasured(SnapperOutputs outputs, const std::map<QString, QByteArray>& measured);

} // namespace SystemJunk
