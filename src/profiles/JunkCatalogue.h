#pragma once
// The junk catalogue: what counts as junk on a system, where it lives, and how
// it is offered. The junk scan (Sweeper::scanJunk) reads nothing else.
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QString>

// One rule of the catalogue. Path texts are written as follows, and resolved
// once per scan:
//   "~/..."       under the home folder;
//   "~/.Trash"    the Trash folder (FS::trashFolder());
//   "$CACHE/..."  under the user's cache folder ($XDG_CACHE_HOME, else ~/.cache).
// One component of a path may be "*": each folder that matches is one item,
// named after the matched component (whatever `children` says).
struct JunkRule {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    std::vector<std::string> paths;
    bool children = true;             // each direct entry is an item (false: the folder itself)
    bool preselect = true;
    bool permanent = true;            // false: removal moves to the Trash
    std::optional<std::set<std::string>> extensions = std::nullopt;  // lower-case, without the dot
    // Entries of the rule's folders that belong to another rule, written like
    // `paths`: never items of this rule, so no byte is counted in two groups.
    std::vector<std::string> exclude = {};
    // When not empty, only entries whose name matches one of these patterns
    // (one "*" standing for any run of characters, e.g. "*.log") become items.
    std::vector<std::string> namePatterns = {};
    // Folders computed at scan time (the download folder, every trash of the
    // mounted file systems), looked at after `paths`.
    std::vector<std::filesystem::path> (*places)() = nullptr;
    // Whether entries whose name begins with a dot count (what was thrown away
    // is junk whatever its name).
    bool hidden = false;
};

namespace Profiles {

struct JunkCatalogue {
    // The rules in catalogue order, built once on first use (texts through L
    // at that moment) and never changed afterwards.
    const std::vector<JunkRule>& (*rules)() = nullptr;
};

JunkCatalogue linuxJunk();
JunkCatalogue macosJunk();

} // namespace Profiles
