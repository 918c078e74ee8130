#pragma once
// The system's junk outside the home folder as junk groups: what the readers
// of LinuxSystemJunk.h find, turned into items the administrator helper
// removes (each item carries its helper actions, each group is marked admin).
//
// systemGroups only reads folders under a root and the package tools' output
// it is handed, so it runs the same over a fixture root with recorded
// output; runTools is the one part that runs the tools.
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "engines/common/NeverTouchList.h"
#include "engines/junk/ContainerGroups.h"
#include "engines/junk/SnapshotGroups.h"
#include "engines/records/Junk.h"
#include "platform/Admin.h"
#include "platform/Shell.h"

namespace SystemJunk {

// Where the system part reads.
struct SystemPlaces {
    std::filesystem::path root = "/";          // the system's folders are read under it
    std::filesystem::path procRoot = "/proc";  // for the package manager's lock holder
    std::filesystem::path userFlatpak;         // the user's Flatpak installation; empty: none
};

// What the package tools printed. Nothing for a tool that is not there or
// did not run to its end: its group is then left out.
struct ToolOutputs {
    std::optional<QString> aptAutoremove;  // apt-get -s autoremove
    QString dpkgShow;                      // dpkg-query -W (LinuxApps::kDpkgShowFormat) of the packages apt named
    std::optional<QString> snapListAll;    // snap list --all
    std::optional<QString> flatpakList;    // flatpak list --columns=LinuxApps::kFlatpakRefColumns
    QString kernelRelease;                 // uname -r
    std::optional<ContainerOutputs> podman;  // see readContainerTool
    std::optional<ContainerOutputs> docker;
    std::optional<SnapperOutputs> snapper;   // see readSnapper
    std::optional<TimeshiftOutputs> timeshiftBtrfs;  // see readTimeshiftBtrfs
};

using ToolRunner = std::function<Shell::Result(const std::string& command)>;

// The system part is read in pieces, so that a slow tool holds back no other
// group: the folders alone, then each package tool's groups.
enum class Part { Files, Snaps, Flatpak, Packages, Podman, Docker, Snapshots };
inline constexpr Part kParts[] = {Part::Files,  Part::Snaps,  Part::Flatpak,  Part::Packages,
                                  Part::Podman, Part::Docker, Part::Snapshots};

// The system groups' ids in the order they are shown.
inline constexpr const char* kGroupIds[] = {"pkgcache",   "journal", "snaps",         "flatpak", "coredumps", "crashes",
                                            "oldlogs",    "autoremove", "podman",   "podmanvolumes", "docker",  "dockervolumes",
                                            "snapper",    "timeshift"};
bool isGroupId(const QString& id);
// An empty group of the system's: removed for good, by its tool or the helper, never walked as files.
JunkGroup systemGroup(const char* id, const QString& title, const QString& detail, const char* symbol);
// Puts the system's groups in the order of kGroupIds, after every other group
// (which keep their order).
void sortGroups(std::vector<JunkGroup>& groups);

// Runs the package tools a part needs (all of them by default) through
// `run`, each in the C locale with a time limit (LinuxApps::toolCommand); a
// tool that is missing or fails gives nothing. Files runs none.
ToolOutputs runTools(const ToolRunner& run = Shell::run);
ToolOutputs runTools(Part part, const ToolRunner& run);

// One part's groups (see systemGroups), in the order of kGroupIds, as the
// never-touch list lets them be offered: a core dump, crash report or rotated
// log the list covers is left out (counted in JunkFound::ignored); a group
// whose item a tool removes as a whole (the package cache, the journal, a Snap
// revision, a Flatpak runtime) is or holds a place of the list is held back
// whole (JunkGroup::held, unticked, each row noting why).
JunkFound partGroups(Part part, const SystemPlaces& places, const ToolOutputs& outputs, const NeverTouchList& never,
                     std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// What measuring a group as the administrator gave: its part read again with
// what the helper measured, or why nothing was measured.
struct Measured {
    JunkFound found;
    QString failure;
};
// Runs `group.measure` through `admin` (read-only, behind the system-care
// prompt) and reads the group's part again with this user's rights, adding
// what only the administrator could read.
Measured measurePart(const JunkGroup& group, const SystemPlaces& places, const ToolRunner& run,
                     const Admin::Runner& admin, const NeverTouchList& never,
                     std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// The system's groups, in this order and each only where its folder or tool
// is there and it offers something (or cannot tell how much):
//   pkgcache    "Pacotes baixados"                 one item per package cache, ticked, clean-package-cache
//   journal     "Diário do sistema antigo"         one item, unticked, vacuum-journal
//   snaps       "Versões antigas de Snaps"         each disabled revision no program runs from, ticked,
//                                                  remove-snap-revision
//   flatpak     "Runtimes Flatpak sem uso"         each runtime, unticked, remove-flatpak-runtimes
//                                                  (the user's installation's without the helper: no action)
//   coredumps   "Despejos de memória"              each file, ticked, remove-core-dump
//   crashes     "Relatórios de falha do sistema"   each file, ticked, remove-crash-report
//   oldlogs     "Logs antigos do sistema"          each archived file (its full path), ticked,
//                                                  remove-rotated-log
//   autoremove  "Pacotes que nada usa"             each package, unticked, remove-packages
//   podman, podmanvolumes, docker, dockervolumes   see ContainerGroups.h: by the tool, as this user
//   snapper     "Instantâneos do Snapper"          see SnapshotGroups.h: one by one, remove-snapper-snapshot
//   timeshift   "Instantâneos do Timeshift (…)"    see SnapshotGroups.h: one by one, remove-timeshift-snapshot
// An item whose size cannot be learned has sizeKnown false (and size 0).
// While a process holds the package manager's lock, the items of pkgcache
// and autoremove are unticked with the note "Em uso por NAME". No place is
// never touched here (partGroups takes the list).
std::vector<JunkGroup> systemGroups(const SystemPlaces& places, const ToolOutputs& outputs,
                                    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

} // namespace SystemJunk
