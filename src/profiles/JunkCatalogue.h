#pragma once
// The junk catalogue: what counts as junk on a system, where it lives, and how
// it is offered. The junk scan (Sweeper::scanJunk) reads nothing else.
#include <vector>

#include "engines/records/Junk.h"

namespace Profiles {

struct JunkCatalogue {
    // The rules in catalogue order, built once on first use (texts through L
    // at that moment) and never changed afterwards.
    const std::vector<JunkRule>& (*rules)() = nullptr;
    // The system's junk outside the home folder, found now, each group
    // removed only through the administrator helper; nullptr where the
    // profile has none.
    std::vector<JunkGroup> (*systemGroups)() = nullptr;
};

JunkCatalogue linuxJunk();
JunkCatalogue macosJunk();

} // namespace Profiles
