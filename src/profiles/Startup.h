#pragma once
// The startup part of a profile: what starts with the session or the machine,
// and how one item is switched off and on again. Both run on a background
// thread (a service may take its time; the machine's ask for the password).
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "engines/Records.h"

namespace Profiles {

struct Startup {
    // Every item, in the order the page lists them.
    std::function<std::vector<AgentItem>()> scan;
    // Switches an item on or off; why not, on failure. Empty where items can
    // only be removed (launch property lists).
    std::function<std::optional<QString>(const AgentItem& item, bool on)> setOn;
};

} // namespace Profiles
