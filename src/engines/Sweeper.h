#pragma once
// The junk scans: the built-in rule catalogue and the scan over it. Plain
// functions of the file system; they never see AppState.
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/Records.h"

struct JunkRule {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    std::vector<std::string> paths;   // "~/..." as written; "~/.Trash" means the Trash folder
    bool children = true;             // each direct entry is an item (false: the folder itself)
    bool preselect = true;
    bool permanent = true;            // false: removal moves to the Trash
    std::optional<std::set<std::string>> extensions;  // lower-case, without the dot
};

namespace Sweeper {

// The eleven rules in catalogue order, built once (texts through L at that moment).
const std::vector<JunkRule>& rules();

// The program's own identifier: entries whose name contains it are never offered.
QString ownIdentifier();

// Where a rule's path text points: "~/.Trash" is FS::trashFolder(), other
// "~/..." texts are under the home folder.
std::filesystem::path resolveRulePath(const std::string& text);

using JunkProgress = std::function<void(const QString& ruleTitle, std::int64_t bytes)>;

// Scans every rule in catalogue order; groups only for rules that found something.
std::vector<JunkGroup> scanJunk(const JunkProgress& progress = {});
// The same over a given list of rules (tests).
std::vector<JunkGroup> scanJunk(const std::vector<JunkRule>& rules, const JunkProgress& progress);

} // namespace Sweeper
