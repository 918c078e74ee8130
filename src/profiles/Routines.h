#pragma once
// The maintenance part of a profile: its routines, with their availability,
// and how much a failure tells.
#include <functional>
#include <vector>

#include "engines/Maintenance.h"

namespace Profiles {

struct Routines {
    // The routines in the order the page lists them, their availability read now.
    std::function<std::vector<MaintTask>()> tasks;
    Maintenance::Reasons reasons = Maintenance::Reasons::Silent;
};

} // namespace Profiles
