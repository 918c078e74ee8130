#pragma once
// The junk clean as a plan: what each chosen item's fate is (deleted,
// to the Trash, by its owner's tool, as administrator), made before the
// confirmation, and the clean that carries out exactly that plan.
#include <QStringList>

#include "engines/junk/JunkScan.h"
#include "engines/records/Plan.h"

namespace Sweeper {

// The plan of a clean: the items of chosenGroups(groups, groupIds), groups
// in order and items in order. A home folder's item is deleted or goes to
// the Trash as its group says, its identity read now; a system item goes by
// its helper actions (by the owner's tool, or deleted, as administrator; the
// user's own Flatpak runtimes and container storage by their tools, without
// it). An item that goes only with others (JunkItem::goesWith: an image with
// its containers) is left out, saying why, unless they are all in the plan.
// A group named in `groupIds` but held by another program is left out and
// says so. `itemIds` names single items by their tool ids.
Plan::Record planClean(const std::vector<JunkGroup>& groups, const QStringList& groupIds = {},
                       const QStringList& itemIds = {});

// Carries out the plan: its home items through the removal loop, then its
// system items, regrouped as `groups` holds them, through `cleanSystem` in
// one administrator run; each item's result is recorded in the outcome's
// record (a system item takes its group's), each system group's measured
// figure in systemGroups. Blocks while a password prompt is open.
RemovalOutcome cleanJunk(const Plan::Record& plan, const std::vector<JunkGroup>& groups, const Admin::Runner& admin,
                         const SystemCleaner& cleanSystem = {}, Plan::Origin origin = Plan::Origin::window);

} // namespace Sweeper
