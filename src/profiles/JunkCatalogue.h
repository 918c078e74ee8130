#pragma once
// The junk catalogue: what counts as junk on a system, where it lives, and how
// it is offered. The junk scan (Sweeper::scanJunk) reads nothing else.
#include <vector>

#include "engines/common/NeverTouchList.h"
#include "engines/junk/SystemClean.h"
#include "engines/records/Junk.h"

namespace Profiles {

struct JunkCatalogue {
    // The rules in catalogue order, built once on first use (texts through L
    // at that moment) and never changed afterwards.
    const std::vector<JunkRule>& (*rules)() = nullptr;
    // One part of the system's junk outside the home folder (see
    // SystemJunk::kParts), found now, each group removed only through the
    // administrator helper, as the never-touch list lets it be offered;
    // nullptr where the profile has none.
    JunkFound (*systemPart)(SystemJunk::Part part, const NeverTouchList& never) = nullptr;
    // Cleans the chosen groups of the system's part (`offered`: every group as found).
    SystemJunk::CleanReport (*cleanSystem)(const std::vector<JunkGroup>& chosen, const std::vector<JunkGroup>& offered,
                                           const Admin::Runner& admin) = nullptr;
    // Measures, as the administrator, what a system group could not read
    // (JunkGroup::measure) and finds its part again with it.
    SystemJunk::Measured (*measureSystem)(const JunkGroup& group, const NeverTouchList& never,
                                          const Admin::Runner& admin) = nullptr;
};

JunkCatalogue linuxJunk();
JunkCatalogue macosJunk();

} // namespace Profiles
