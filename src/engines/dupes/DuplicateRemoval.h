#pragma once
// What happens to the ticked copies: each goes to the Trash, or is made to
// share the kept copy's data, only after the check made right before it
// (unchanged since the scan, its keeper still another file with the same
// bytes). A group never loses its last copy: its keeper is the kept copy, or
// another unticked one, and a group with every copy ticked is left alone.
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QString>

#include "engines/dupes/DuplicateScan.h"
#include "engines/records/Removal.h"
#include "platform/Admin.h"

namespace Dupes {

// One ticked copy and the copy it is checked against.
struct PlannedCopy {
    Copy copy;
    std::filesystem::path keeper;
    std::int64_t freed = 0;  // what it gives back (freedBy)
};

std::vector<PlannedCopy> removalPlan(const std::vector<Group>& groups);

// The note beside a copy: why it starts unticked, or why it frees nothing.
QString copyNote(const ShownCopy& shown);

// Why a copy stayed, as the user reads it.
QString holdText(Hold hold);

// Checks each planned copy, then moves every name of it to the Trash through
// the removal loop. Copies that stay are named with their reason in `notes`.
RemovalOutcome trashCopies(const std::vector<PlannedCopy>& plan, const Admin::Runner& admin = Admin::run);

// Checks each planned copy, then has the kernel make it share its keeper's
// data; what was given back is counted as freed.
RemovalOutcome shareCopies(const std::vector<PlannedCopy>& plan);

// Whether the "share" action is offered for the groups: some ticked copy lies
// on the same file system as its keeper, and that file system shares data
// between files (btrfs, XFS), as the scan read it: no disk is asked on a tick.
bool shareOffered(const std::vector<Group>& groups);

} // namespace Dupes
