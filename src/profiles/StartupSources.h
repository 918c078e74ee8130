#pragma once
// What starts with the session or the machine, and how one item is stopped,
// switched off or on again. A profile either names launch folders (their
// property lists are listed by the engine and only removed) or lists its
// items itself and switches them (`scan` and `setOn`).
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "engines/Records.h"

struct LaunchFolder {
    std::filesystem::path folder;
    QString scope;      // base text, passed through L when an item is made
    bool userOwned = false;
};

namespace Profiles {

struct StartupSources {
    // The folders of startup items, in scan order.
    std::vector<LaunchFolder> (*folders)() = nullptr;
    // The command that stops a user's own item, its errors silenced.
    std::string (*userUnloadCommand)(const std::filesystem::path& item, unsigned uid) = nullptr;
    // The stop step of the administrator command for an item not owned by the user.
    std::string (*adminUnloadCommand)(const std::filesystem::path& item, unsigned uid) = nullptr;
    // Every item, in the order the page lists them; empty: the property lists of `folders`.
    std::function<std::vector<AgentItem>()> scan = {};
    // Switches an item on or off (why not, on failure); empty where items can
    // only be removed. Runs on a background thread.
    std::function<std::optional<QString>(const AgentItem& item, bool on)> setOn = {};
};

StartupSources linuxStartup();
StartupSources macosStartup();

} // namespace Profiles
