#pragma once
// Where the items that start with the session are found, and how one is stopped.
#include <filesystem>
#include <string>
#include <vector>

#include <QString>

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
};

StartupSources linuxStartup();
StartupSources macosStartup();

} // namespace Profiles
