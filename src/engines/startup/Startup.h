#pragma once
// The startup items' engine, whatever the system: a system lists its items
// and switches or removes one (a StartupBackend, made by the system's own
// file beside this one and chosen by the profile); the window and the
// command line switch and remove through the functions below alone.
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "engines/records/Plan.h"
#include "engines/records/Startup.h"
#include "platform/Admin.h"

// One system's startup items, bound to the places they are found.
struct StartupBackend {
    // Every item, in the order the page lists them.
    std::function<std::vector<AgentItem>()> scan;
    // Switches an item on or off; why not, on failure. Empty where items can
    // only be removed. May take its time (a service stops, a password is asked).
    std::function<std::optional<QString>(const AgentItem& item, bool on)> setOn;
    // Removes an item that is `removable`; blocks while an administrator
    // prompt is open.
    std::function<StartupChange(const AgentItem& item, const Admin::Runner& admin)> remove;
};

namespace Startup {

// Switches the item on or off: ok with "“X” ativado."/"“X” desativado.", or
// the reason it could not be changed.
StartupChange switchItem(const StartupBackend& backend, const AgentItem& item, bool on);

// The plan of removing the item, for the confirmation and the command line:
// its file to the Trash (as administrator when it is not the user's), what
// stops with it; refused unless it is `removable`.
Plan::Record planRemoval(const AgentItem& item);

// Removes the item: refused unless it is `removable`, else the backend's removal.
StartupChange removeItem(const StartupBackend& backend, const AgentItem& item, const Admin::Runner& admin);

// Carries out planRemoval's plan: the same, but nothing is touched when the
// item's file is no longer what the plan saw (the reason is the message).
StartupChange removeItem(const StartupBackend& backend, const AgentItem& item, const Plan::Record& plan,
                         const Admin::Runner& admin);

// The removal of the user's own item file: to the Trash, with the sentence to show.
StartupChange trashUserItem(const AgentItem& item);

// A new listing in the order of the one on screen, so that rows stay put
// after a switch or a removal: an item listed before keeps its place and its
// id; a new one comes after them, in listing order; one that is gone leaves.
// The same item is the same kind, key and folder.
std::vector<AgentItem> inShownOrder(const std::vector<AgentItem>& shown, std::vector<AgentItem> fresh);

} // namespace Startup
