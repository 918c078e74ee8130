#pragma once
// The profile's part that says what an application is: where applications
// are found, what belongs to one, how it is removed, and the words the
// uninstaller uses for the place its leftovers live.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "engines/Records.h"
#include "profiles/LinuxApps.h"
#include "profiles/Profile.h"

namespace Profiles {

// Where the scans look: the profile's own places, or fixtures in tests.
struct AppPlaces {
    std::vector<std::filesystem::path> bundleFolders;  // macos: the folders of application bundles
    LinuxApps::Sources entries;                         // linux: the desktop-entry folders
    LinuxApps::CommandRunner tools;                     // linux: runs the package tools
    std::filesystem::path home;                         // where leftovers are looked for
};

struct Applications {
    AppPlaces (*places)();
    std::vector<AppInfo> (*scan)(const AppPlaces& places);
    // The application's own item first, then its leftovers.
    std::vector<JunkItem> (*files)(const AppInfo& app, const std::vector<AppInfo>& installed,
                                   const AppPlaces& places);
    // How the application's owner removes it (an empty plan for a bundle:
    // it goes to the Trash with the leftovers).
    LinuxApps::UninstallPlan (*plan)(const AppInfo& app, const std::vector<AppInfo>& installed,
                                     const AppPlaces& places);
    // Asks the running copies to quit, without waiting.
    void (*quit)(const AppInfo& app);
    // The uninstaller's header, "%ld" the number of applications (base text).
    const char* header;
};

const Applications& applications(const Profile& profile);

// What an application weighs: its owner's own figure when it gives one, else
// the measured size of its own item. Every sizing of the list goes through here.
std::int64_t appSize(const AppInfo& app);

} // namespace Profiles
