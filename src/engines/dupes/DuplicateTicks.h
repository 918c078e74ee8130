#pragma once
// The user's say over a search's groups: ticks, and which copy of a group
// stays. The kept copy is never ticked, so every group always keeps a copy.
// The choices are remembered by copy (device, inode, path), so they outlive a
// removal, a new search or a change of the keep rule.
#include <cstddef>
#include <map>
#include <set>
#include <vector>

#include "engines/dupes/DuplicateScan.h"

namespace Dupes {

// Why a tick was refused.
enum class Refusal {
    None,      // it was done
    Kept,      // the copy is the kept one: another copy must be kept first
    LastCopy,  // every other copy of the group is ticked (a group without a kept copy)
};

// Ticks (`on`) or unticks copy `index` of the group, or says why not.
Refusal tick(Group& group, std::size_t index, bool on);

// Makes copy `index` the kept one: it is unticked and comes first; the copy
// kept before becomes an ordinary copy, ticked as startsTicked says.
void keep(Group& group, std::size_t index);

struct Choices {
    std::set<CopyId> kept;            // copies the user chose to keep
    std::map<CopyId, bool> ticks;     // ticks the user set or cleared
    std::map<CopyId, Hold> held;      // copies a removal left, and why: unticked until ticked again
};

// Applies the choices to groups whose kept copy and ticks the rule has just set.
void applyChoices(std::vector<Group>& groups, const Choices& choices);

// Forgets the choices about copies no group holds any more.
void forgetMissing(Choices& choices, const std::vector<Group>& groups);

} // namespace Dupes
