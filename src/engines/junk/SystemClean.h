#pragma once
// The clean of the system's junk: the chosen items of the administrator's
// groups removed in one administrator run (one password prompt for all of
// them), the user's own Flatpak runtimes without it, and what each group
// freed measured on the disk before and after, never guessed.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/junk/SystemJunkGroups.h"
#include "engines/records/Junk.h"
#include "engines/records/Plan.h"
#include "engines/records/Removal.h"
#include "platform/Admin.h"

namespace SystemJunk {

// The most packages one clean of "Pacotes que nada usa" removes.
inline constexpr qsizetype kMaxPackages = 30;

// Why the removal of the chosen packages is refused before anyone is asked:
// `plan` is what "apt-get -s remove" of them takes, which must hold no more
// than kMaxPackages packages, only packages the group offered, and none that
// owns an application of the Apps page. Nothing when the plan may go ahead.
std::optional<QString> packagePlanRefusal(const QStringList& plan, const QStringList& offered,
                                          const QStringList& appPackages);

// What is left on the disk of a system item, in allocated bytes, read the
// way the scan read it (an installed package: its installed size). Nothing
// when it cannot be read.
std::optional<std::int64_t> leftBytes(const SystemPlaces& places, const JunkItem& item,
                                      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// What the clean works with.
struct CleanTools {
    SystemPlaces places;
    ToolRunner run;        // the package plan's simulation, the user's own Flatpak removal
    Admin::Runner admin;   // the one administrator run
    // The packages that own an application of the Apps page.
    std::function<QStringList()> appPackages;
};

// What the clean of the system's groups did.
struct CleanReport {
    std::vector<GroupFreed> groups;  // each group that had something to clean, in order
    QString adminReason;             // why the administrator run did nothing at all (dismissed, refused)
    // Items whose tool answers for each of them (container storage), by item
    // id; every other item takes its group's result.
    std::map<QString, Plan::ItemResult> items;
};

// Cleans every item of the admin groups in `groups` (the caller hands only
// what was chosen; other groups are passed over). `offered` holds each
// group as the scan found it, for the package plan's check.
CleanReport clean(const std::vector<JunkGroup>& groups, const std::vector<JunkGroup>& offered,
                  const CleanTools& tools);

} // namespace SystemJunk
