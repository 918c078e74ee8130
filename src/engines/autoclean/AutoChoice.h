#pragma once
// What cleaning on a schedule takes: the user's groups of the home folder,
// ticked as the window ticks them, never what a program holds open, and of
// the Trash only what has been there a while. The run itself is the
// window's clean of these groups.
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QStringList>

#include "engines/records/Junk.h"

namespace AutoClean {

// The groups an automatic run takes unless the user chooses others: what
// programs make again (application caches, thumbnails, session logs,
// developer caches).
QStringList defaultGroups();
// The groups the user may add: installers in the download folder, and the
// Trash (only its entries older than kTrashAgeDays).
QStringList optionalGroups();
constexpr int kTrashAgeDays = 30;

// When an entry of a trash was moved there (TrashRestore::deletedAt in the program).
using DeletedAt = std::function<std::optional<QDateTime>(const std::filesystem::path&)>;

// The found groups as an automatic run ticks them: only the groups named in
// `chosen` that are the home folder's (never the system's, whatever rights
// the program has, nor a group another program holds); in each the items the
// window ticks at first, or every item of an added group (installers, the
// Trash); never an item in use; of the Trash only entries whose deletion date
// is more than kTrashAgeDays before `now` (one with no readable date stays).
// Groups with nothing ticked are left out.
std::vector<JunkGroup> automaticChoice(const std::vector<JunkGroup>& found, const QStringList& chosen,
                                       const QDateTime& now, const DeletedAt& deletedAt);

} // namespace AutoClean
