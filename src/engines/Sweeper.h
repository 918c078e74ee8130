#pragma once
// The junk scans: the built-in rule catalogue and the scan over it. Plain
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
#include "platform/FS.h"

struct JunkRule {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    std::vector<std::string> paths;   // "~/..." as written; "~/.Trash" means the Trash folder
    bool children = true;             // each direct entry is an item (false: the folder itself)
    bool preselect = true;
    bool permanent = true;            // false: removal moves to the Trash
    std::optional<std::set<std::string>> extensions = std::nullopt;  // lower-case, without the dot
};

namespace Sweeper {

// The eleven rules in catalogue order, built once (texts through L at that moment).
const std::vector<JunkRule>& rules();

// The program's own identifier: entries whose name contains it are never offered.
QString ownIdentifier();

// Where a rule's path text points: "~/.Trash" is FS::trashFolder(), other
// "~/..." texts are under the home folder.
std::filesystem::path resolveRulePath(const std::string& text);

// Whether an entry with this name belongs to this program (its own caches and
// saved state) and so is never offered: the name contains the own identifier,
// or is "Quillmoor" in any letter case (the program's folders under ~/.cache
// and the like carry its plain name).
bool isOwnEntry(std::string_view name);

// Whether the entry's extension, in lower case and without the dot, is in the
// set. "Setup.DMG" has "dmg"; a name without a dot (or only a leading one) has none.
bool hasExtension(const std::filesystem::path& entry, const std::set<std::string>& extensions);

// Whether an item found by the rule starts out selected: never for a rule that
// does not preselect, nor for the system's own applications ("com.apple.").
bool startsSelected(const JunkRule& rule, std::string_view name);

using JunkProgress = std::function<void(const QString& ruleTitle, std::int64_t bytes)>;

// Scans every rule in catalogue order; groups only for rules that found something.
std::vector<JunkGroup> scanJunk(const JunkProgress& progress = {});
// The same over a given list of rules (tests).
std::vector<JunkGroup> scanJunk(const std::vector<JunkRule>& rules, const JunkProgress& progress);

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

// The folders whose direct children are the installed applications, in
// scan order: /Applications, its Setapp and Utilities folders, ~/Applications.
std::vector<std::filesystem::path> appFolders();

// The applications among the direct children of the folders: visible folders
// named "*.app" (exactly that extension) whose Contents/Info.plist gives a
// bundle identifier that is neither the system's ("com.apple.") nor this
// program's own; each path once; sorted by name in the user's locale ignoring
// case, equal names in folder-and-listing order.
std::vector<AppInfo> scanApps(const std::vector<std::filesystem::path>& folders = appFolders());

// Orders applications by name, locale-aware and case-insensitive; stable.
void sortAppsByName(std::vector<AppInfo>& apps);

// Whether the application's name or identifier contains the search text,
// ignoring case in the user's locale; an empty search matches every application.
bool appMatches(const AppInfo& app, const QString& search);

// The folders under ~/Library searched for leftovers, in order.
const std::vector<std::string>& leftoverDirs();

// A Library entry's name in lower case with the endings ".plist",
// ".savedstate" and ".binarycookies" cut, each at most once, in that order.
QString cutLeftoverName(const QString& name);

// Whether a Library entry belongs to the application: its cut name contains
// the identifier, or equals the name when the name is longer than 3 characters
// (both compared in lower case).
bool isLeftover(const QString& entryName, const QString& bundleID, const QString& appName);

// The application's leftovers in the Library folders of `home`, each ticked,
// largest first (equal sizes in folder-and-listing order).
std::vector<JunkItem> leftovers(const AppInfo& app, const std::filesystem::path& home = FS::home());

// The uninstaller's file list: the bundle first, then its leftovers.
std::vector<JunkItem> appFiles(const AppInfo& app, const std::filesystem::path& home = FS::home());

// ---- Launch agents and daemons ----

struct LaunchFolder {
    std::filesystem::path folder;
    QString scope;      // base text, passed through L when an item is made
    bool userOwned = false;
};

// ~/Library/LaunchAgents (the user's), /Library/LaunchAgents (all users),
// /Library/LaunchDaemons (system), in that order.
std::vector<LaunchFolder> launchFolders();

// The launch items: every visible "*.plist" (exactly that extension) of each
// folder, in folder-then-listing order; a file that is no readable dictionary
// is still listed with its file name as label and "—" as program.
std::vector<AgentItem> scanAgents(const std::vector<LaunchFolder>& folders = launchFolders());

// The label and program of one launch property list (the file name without its
// extension and "—" where the list gives none).
AgentItem agentFrom(const std::filesystem::path& file, const QString& scope, bool userOwned);

// The command that unloads a user's own agent, its errors silenced.
std::string userAgentUnloadCommand(const std::filesystem::path& item, unsigned uid);

// The unload step of the administrator command for an item not owned by the
// user: from "system" for daemons, else from the user's gui domain.
std::string adminAgentUnloadCommand(const std::filesystem::path& item, unsigned uid);

} // namespace Sweeper
