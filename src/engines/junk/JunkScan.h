#pragma once
// The junk scan: a catalogue's rules turned into sized, removable items.
// Plain functions of the file system; they never see the window's state.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/common/NeverTouchList.h"
#include "engines/junk/SystemClean.h"
#include "engines/records/Junk.h"
#include "engines/removal/Removal.h"

namespace Sweeper {

// Where a rule's path text points now: "~/.Trash" is FS::trashFolder(),
// "$CACHE/..." is under the cache folder (its own link resolved), other
// "~/..." texts are under the home folder.
std::filesystem::path resolveRulePath(const std::string& text);

// Whether an item found by the rule starts out selected: never for a rule that
// does not preselect, nor for an entry of the system itself (the rule's `systemPrefix`).
bool startsSelected(const JunkRule& rule, std::string_view name);

using JunkProgress = std::function<void(const QString& ruleTitle, std::int64_t bytes)>;

// Scans every rule in catalogue order; groups only for rules that found
// something. What running processes hold is read once from `procRoot`
// while the folders are measured: an item inside which a process of the user
// has a file open or its working folder is listed unselected, with a note
// naming it. A link among the entries is an item of its own (never followed).
// What `never` covers is never offered (each counted in JunkFound::ignored);
// a folder holding one of its places is offered as its other entries, one
// level down (further down where an entry holds one too), named "folder/entry".
JunkFound scanJunk(const std::vector<JunkRule>& rules, const NeverTouchList& never, const JunkProgress& progress = {},
                   const std::filesystem::path& procRoot = "/proc");

// Reads one part of the system's junk outside the home folder, honouring the never-touch list.
using SystemPartReader = std::function<JunkFound(SystemJunk::Part part, const NeverTouchList& never)>;

// Who hears of a whole scan as it goes: the rules' titles and bytes (from
// the walking threads), the home folder's groups once they are known, and
// each of the system's parts as it answers (from the part's own thread).
struct JunkScanReports {
    JunkProgress progress = {};
    std::function<void(const JunkFound& found)> homeRead = {};
    std::function<void(const JunkFound& found)> partRead = {};
};

// The whole junk scan, the home folder's and the system's: every part of the
// system (SystemJunk::kParts) is read on a thread of its own, so a slow tool
// holds back neither the home folder's walk on the calling thread nor the
// other parts. Returns every group once all answered: the home folder's in
// catalogue order, then the system's in the order they are shown, with what
// `never` hid from all of them. Without `systemPart`, the home folder's alone.
JunkFound scanAllJunk(const std::vector<JunkRule>& rules, const NeverTouchList& never,
                      const SystemPartReader& systemPart, const JunkScanReports& reports = {});

// What a clean takes, groups in order and items in order: with no ids the
// ticked items of every group; with ids every item of the groups named,
// ticked or not (never a group whose items go one by one, such as volumes),
// and each item whose tool id (JunkItem::toolId) is named. A group held by
// another program (JunkGroup::held) is never taken.
std::vector<JunkGroup> chosenGroups(const std::vector<JunkGroup>& groups, const QStringList& groupIds = {},
                                    const QStringList& itemIds = {});

// Cleans the system's chosen groups (the chosen ones, then every group as found).
using SystemCleaner = std::function<SystemJunk::CleanReport(
    const std::vector<JunkGroup>& chosen, const std::vector<JunkGroup>& offered, const Admin::Runner& admin)>;

} // namespace Sweeper
