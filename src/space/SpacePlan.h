#pragma once
// What the space map may remove: the never-touch list keeps its places, and
// whatever lies inside them, from ever being ticked or moved to the Trash,
// and keeps a folder holding one of them from going whole; so does the
// storage of containers and snapshots, which the map still shows and
// measures. The plan of the map's selection leaves such entries out and says
// why.
#include <filesystem>
#include <vector>

#include <QString>

#include "engines/common/NeverTouchList.h"
#include "engines/records/Plan.h"
#include "space/SizeEntry.h"

namespace Space {

// Why the never-touch list keeps `path` from being removed: it is one of the
// places or lies inside one, or it is a folder holding one below it; empty
// when the list does not keep it.
QString neverTouchReason(const std::filesystem::path& path, const NeverTouchList& neverTouch);

// Why the storage of containers and snapshots (FS::storagePlaces) keeps
// `entry` from being removed: it is one of those folders or lies inside one
// (protected, as FS::isProtected says too), or it is a folder holding one;
// empty when it does neither.
QString storageReason(const SizeEntry& entry);

// Why the map keeps `entry`: the storage's reason, else the never-touch
// list's; empty when it may be removed.
QString keptReason(const SizeEntry& entry, const NeverTouchList& neverTouch);

// The plan of moving `chosen` to the Trash (action "space"): the entries
// keptReason keeps are left out, each "~/path: why".
Plan::Record trashPlan(const std::vector<SizeEntry>& chosen, const NeverTouchList& neverTouch);

} // namespace Space
