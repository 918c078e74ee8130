#pragma once
// The scans: junk over a profile's catalogue, large files, applications and
// their leftovers, startup items. Plain
// functions of the file system; they never see AppState.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/Records.h"
#include "engines/Removal.h"
#include "platform/FS.h"
#include "platform/Processes.h"
#include "profiles/JunkCatalogue.h"
#include "profiles/StartupSources.h"

namespace Sweeper {

// The program's own identifier: entries whose name contains it are never offered.
QString ownIdentifier();

// Where a rule's path text points now: "~/.Trash" is FS::trashFolder(),
// "$CACHE/..." is under the cache folder (its own link resolved), other
// "~/..." texts are under the home folder.
std::filesystem::path resolveRulePath(const std::string& text);

// Whether an entry with this name belongs to this program (its own caches and
// saved state) and so is never offered: the name contains the own identifier,
// or is "Quillmoor" or "quillmoor-cli" in any letter case (the program's
// folders under ~/.cache and the like carry its plain names).
bool isOwnEntry(std::string_view name);

// Whether the entry's extension, in lower case and without the dot, is in the
// set. "Setup.DMG" has "dmg"; a name without a dot (or only a leading one) has none.
bool hasExtension(const std::filesystem::path& entry, const std::set<std::string>& extensions);

// Whether a name matches a pattern with at most one "*" (any run of
// characters, the empty one included); without a star, the name itself.
bool matchesPattern(std::string_view name, std::string_view pattern);

// Whether an item found by the rule starts out selected: never for a rule that
// does not preselect, nor for the system's own applications ("com.apple.").
bool startsSelected(const JunkRule& rule, std::string_view name);

using JunkProgress = std::function<void(const QString& ruleTitle, std::int64_t bytes)>;

// Scans every rule in catalogue order; groups only for rules that found
// something. What running processes hold is read once from `procRoot`
// before the rules: an item inside which a process of the user has a file
// open or its working folder is listed unselected, with a note naming it.
// A link among the entries is an item of its own (never followed).
std::vector<JunkGroup> scanJunk(const std::vector<JunkRule>& rules, const JunkProgress& progress = {},
                                const std::filesystem::path& procRoot = "/proc");

// ---- Large files ----

// Entries examined between two progress reports (and cancellation checks).
inline constexpr int kLargeProgressStep = 2000;
// The most files one large-file scan returns.
inline constexpr std::size_t kMaxLargeFiles = 1500;

// Walks `home` for files of at least `minBytes` bytes and returns them
// largest first (equal sizes by path, so the list never depends on the order
// the threads met the files in), at most kMaxLargeFiles of them.
// Never entered nor counted: hidden entries, home/Library and the Trash
// folders. Packages are not entered: an application ("app", any case) is never
// listed, any other package is one entry of its whole allocated size
// (FS::size). A regular file counts with its logical length (st_size). Links
// are never followed and list nothing; unreadable folders are passed over.
// The walk runs on `workers` threads (0: as many as FS::size uses), the
// calling thread among them. Every kLargeProgressStep examined entries
// `progress(count)` is called, from whichever thread counted that entry (one
// call at a time, counts growing), and then `flag.cancelled` read; the flag is
// also read before every entry and every folder, and once set every thread
// ends its walk and what was found so far is returned, sorted and capped the
// same way. Memory stays within the kept results and the walks' open folders.
// The thresholds the large-file page offers, as (label, bytes); the labels
// are shown as written, in every language.
struct LargeThreshold {
    const char* label;
    std::int64_t bytes;
};
const std::array<LargeThreshold, 4>& largeThresholds();
// The label of the offered threshold of exactly `bytes`, or empty.
QString largeThresholdLabel(std::int64_t bytes);

std::vector<LargeFile> scanLarge(std::int64_t minBytes, const CancelFlag& flag,
                                 const std::function<void(int)>& progress = {},
                                 const std::filesystem::path& home = FS::home(), int workers = 0);

// ---- Applications ----

// The applications among the direct children of the folders: visible folders
// named "*.app" (exactly that extension) whose Contents/Info.plist gives a
// bundle identifier that is neither the system's ("com.apple.") nor this
// program's own; each path once; sorted by name in the user's locale ignoring
// case, equal names in folder-and-listing order.
std::vector<AppInfo> scanApps(const std::vector<std::filesystem::path>& folders);

// Orders applications by name, locale-aware and case-insensitive; stable.
void sortAppsByName(std::vector<AppInfo>& apps);

// Whether the application's name or identifier contains the search text,
// ignoring case in the user's locale; an empty search matches every application.
bool appMatches(const AppInfo& app, const QString& search);

// A Library entry's name in lower case with the endings ".plist",
// ".savedstate" and ".binarycookies" cut, each at most once, in that order.
QString cutLeftoverName(const QString& name);

// Whether a Library entry belongs to the application: its cut name contains
// the identifier, or equals the name when the name is longer than 3 characters
// (both compared in lower case).
bool isLeftover(const QString& entryName, const QString& bundleID, const QString& appName);

// The application's leftovers in the folders `dirs` (relative to `home`),
// each ticked, largest first (equal sizes in folder-and-listing order).
std::vector<JunkItem> leftovers(const AppInfo& app, const std::vector<std::string>& dirs,
                                const std::filesystem::path& home = FS::home());

// What each application weighs: its owner's own figure when it gives one (a
// package's installed size), else the measured size of its own item (the
// bundle, the Flatpak's folder, the Snap or AppImage file, the entry), all
// measured together on the pool of walking threads. Calls sized(index, bytes)
// once per application, the owners' figures first, the rest as soon as each
// is measured (from the walking threads, possibly two at once). Every sizing
// of the application list goes through here.
void appSizes(const std::vector<AppInfo>& apps, const std::function<void(std::size_t, std::int64_t)>& sized);

// The uninstaller's file list: the bundle first, then its leftovers.
std::vector<JunkItem> appFiles(const AppInfo& app, const std::vector<std::string>& dirs,
                               const std::filesystem::path& home = FS::home());

// ---- Launch agents and daemons ----

// The launch items: every visible "*.plist" (exactly that extension) of each
// folder, in folder-then-listing order; a file that is no readable dictionary
// is still listed with its file name as label and "—" as program.
std::vector<AgentItem> scanAgents(const std::vector<LaunchFolder>& folders);

// The startup items of a profile's part: its own scan where it has one, else
// the property lists of its launch folders.
std::vector<AgentItem> scanStartup(const Profiles::StartupSources& part);

// The label and program of one launch property list (the file name without its
// extension and "—" where the list gives none).
AgentItem agentFrom(const std::filesystem::path& file, const QString& scope, bool userOwned);

// What removing a startup item came to: whether it went, and the sentence to show.
struct StartupRemoval {
    bool ok = false;
    QString message;
};
// Removes a startup item. The user's own goes to the Trash (a launch agent
// unloaded first; one that is not loaded is no error); a system launch daemon
// is unloaded and trashed through the administrator; the system's other
// entries and services are only ever switched off, never removed. Blocks while
// the administrator's prompt is open.
StartupRemoval removeStartupItem(const AgentItem& item, const Profiles::StartupSources& startup,
                                 const Removal::AdminRunner& admin);

} // namespace Sweeper
