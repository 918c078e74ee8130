#pragma once
// remove-packages: the exact package set the user approved is removed, or
// nothing is. Under the package manager's own lock, the removal is simulated
// again as root; it goes ahead only when the simulation takes exactly the
// approved set and none of it is Essential, required or important.
#include <set>
#include <string>

#include "admin/Context.h"

namespace AdminHelper {

Admin::Answer removePackages(const Context& context, const Admin::Action& action);

// The difference between what the simulation takes and what was approved,
// for people ("+extra -missing"); empty when they are the same set.
std::string planDifference(const std::set<std::string>& simulated, const std::set<std::string>& approved);

} // namespace AdminHelper
