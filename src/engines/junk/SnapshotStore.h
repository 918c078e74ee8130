#pragma once
// File-system snapshots as Snapper keeps them on btrfs: the list its JSON
// gives, and which of them may ever be offered for removal. A snapshot is
// the way back after a bad upgrade, so the rule keeps more than it offers:
// never the newest, never the one the system runs from or boots into, never
// one marked important, never one younger than a day, and a pre/post pair
// only whole.
//
// Only reading here: the parsers take the tools' output and never run them.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace Snapshots {

struct Snapshot {
    QString config;         // Snapper's configuration ("root")
    QString subvolume;      // the subvolume it is a snapshot of ("/")
    int number = 0;
    QString name;           // the tool's own name for it where it has one (Timeshift's "2026-12-01_10-00-01")
    QString type;           // "single", "pre" or "post"
    int preNumber = 0;      // a post snapshot's pre snapshot; 0 for the others
    QDateTime date;         // local time, as Snapper writes it; invalid when it gave none
    QString description;
    bool important = false;  // userdata important=yes
    bool isDefault = false;  // the file system's default subvolume: what boots
    bool active = false;     // what the system runs from now
    // What deleting it frees: its exclusive bytes from the quota groups;
    // nothing when quotas are off or the number could not be read.
    std::optional<std::int64_t> exclusiveBytes;
};

// "snapper --jsonout list" over every configuration, or "-c CONFIG": each
// configuration's snapshots, number 0 (the live file system) left out.
// Nothing for output that is not that JSON.
std::optional<std::vector<Snapshot>> parseSnapperList(const QByteArray& json);

// The snapshot number of the default subvolume from "btrfs subvolume
// get-default" ("ID 259 gen 14 top level 256 path .snapshots/3/snapshot"
// gives 3); nothing when the default is no Snapper snapshot.
std::optional<int> defaultSnapshot(const QString& getDefault);

// Why a snapshot is never offered; empty when it may be.
struct Verdict {
    bool offered = false;
    QString why;
};

// The verdict on each of `snapshots` (the same order) at `now`; `defaults`
// gives, by configuration, the snapshot its file system boots into as btrfs
// tells it (after a rollback the default subvolume may be a snapshot). Per configuration: the newest is kept; so is each one that is
// the default or the active one, marked important, younger than a day or
// without a date; a pre or post snapshot is offered only when its partner is
// listed and offered too.
std::vector<Verdict> judge(const std::vector<Snapshot>& snapshots, const std::map<QString, int>& defaults,
                           const QDateTime& now);

// Snapshots written back as Snapper's own list JSON, on one line: what the
// administrator helper's measure-snapshots answers, for parseSnapperList to
// read as if Snapper had printed it to this user.
QByteArray snapperListJson(const std::vector<Snapshot>& snapshots);

} // namespace Snapshots
