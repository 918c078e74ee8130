#pragma once
// What happens to the ticked copies: each goes to the Trash, or is made to
// share the kept copy's data, only after the check made right before it
// (unchanged since the scan, the kept copy still another file with the same
// bytes). The kept copy never goes, whatever the ticks say, and a group
// without a kept copy is left alone.
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QString>

#include "engines/dupes/DuplicateScan.h"
#include "engines/records/Removal.h"
#include "platform/Admin.h"

namespace Dupes {

// One ticked copy and the kept copy it is checked against.
struct PlannedCopy {
    Copy copy;
    std::filesystem::path keeper;
    std::int64_t freed = 0;  // what it gives back (freedBy)
    Candidate keeperFile;    // the kept copy as the search read it
    bool similar = false;    // of a group of pictures that look alike: checked by identity, not bytes
};

std::vector<PlannedCopy> removalPlan(const std::vector<Group>& groups);

// The plan as the confirmation and the command line show it: each ticked
// copy to the Trash with every other name it has (what it gives back on the
// copy itself), or each made to share its kept copy's data.
Plan::Record planRecord(const std::vector<PlannedCopy>& plan, bool share);

// The note beside a copy: why a removal left it, why it starts unticked, or
// why it frees nothing.
QString copyNote(const ShownCopy& shown);

// Why a copy stayed, as the user reads it.
QString holdText(Hold hold);

// A copy the check before removal left where it was, and why.
struct HeldCopy {
    CopyId id;
    Hold hold = Hold::None;
};

// Checks each planned copy (a name on the never-touch list as the settings
// hold it now keeps it: Hold::NeverTouch), then moves every name of it to the
// Trash through the removal loop. Copies that stay are named (home-relative) with their
// reason in the outcome's `held`, and listed in `heldCopies` when given. The
// outcome's record is planRecord's with each item's result.
RemovalOutcome trashCopies(const std::vector<PlannedCopy>& plan, const Admin::Runner& admin = Admin::run,
                           std::vector<HeldCopy>* heldCopies = nullptr);

// Checks each planned copy (as trashCopies does), then has the kernel make it share its kept copy's
// data; what was given back is counted as freed. The outcome's record is
// planRecord's with each item's result.
RemovalOutcome shareCopies(const std::vector<PlannedCopy>& plan, std::vector<HeldCopy>* heldCopies = nullptr);

// Whether the "share" action is offered for the groups: some ticked copy lies
// on the same file system as its keeper, and that file system shares data
// between files (btrfs, XFS), as the scan read it: no disk is asked on a tick.
bool shareOffered(const std::vector<Group>& groups);

} // namespace Dupes
