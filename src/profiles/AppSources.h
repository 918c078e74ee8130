#pragma once
// What an application is on this system: where applications and the files
// they leave behind are found, what belongs to one, and how it is removed.
#include <filesystem>
#include <string>
#include <vector>

#include "engines/Records.h"
#include "profiles/LinuxDesktopApps.h"

namespace Profiles {

// Where the scans look: the profile's own places, or fixtures in tests.
struct AppPlaces {
    std::vector<std::filesystem::path> bundleFolders;  // application bundles (macos)
    LinuxApps::Sources entries;                         // desktop-entry folders (linux)
    LinuxApps::CommandRunner tools;                     // runs the package tools (linux)
    std::filesystem::path home;                         // where leftovers are looked for
};

struct AppSources {
    // The folders whose direct children are the installed applications, in scan order.
    std::vector<std::filesystem::path> (*folders)() = nullptr;
    // The folders searched for an application's leftovers, relative to the
    // home folder, in order.
    const std::vector<std::string>& (*leftoverDirs)() = nullptr;

    // This system's places.
    AppPlaces (*places)() = nullptr;
    // The installed applications, sorted by name.
    std::vector<AppInfo> (*scan)(const AppPlaces& places) = nullptr;
    // The application's own item first, then its leftovers.
    std::vector<JunkItem> (*files)(const AppInfo& app, const std::vector<AppInfo>& installed,
                                   const AppPlaces& places) = nullptr;
    // How the application's owner removes it, made before the confirmation
    // (an empty plan for a bundle: it goes to the Trash with its leftovers).
    LinuxApps::UninstallPlan (*plan)(const AppInfo& app, const std::vector<AppInfo>& installed,
                                     const AppPlaces& places) = nullptr;
    // Asks the application's running copies to quit, without waiting.
    void (*quit)(const AppInfo& app) = nullptr;
};

AppSources linuxApps();
AppSources macosApps();

} // namespace Profiles
