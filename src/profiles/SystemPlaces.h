#pragma once
// Each profile's places as its engines take them, read from the environment
// at each call: where applications and their leftovers are found, and where
// startup items are (with, on Linux, what must never be switched off). The
// profiles bind their engines to them; tests start from them and move what
// they need onto fixtures.
#include <vector>

#include "engines/apps/LinuxDesktopApps.h"
#include "engines/apps/MacBundles.h"
#include "engines/records/Startup.h"
#include "engines/startup/LinuxStartup.h"

namespace Profiles {

LinuxApps::Sources linuxAppPlaces();
LinuxStartup::Sources linuxStartupPlaces();

MacApps::Places macosAppPlaces();
std::vector<LaunchFolder> macosLaunchFolders();

} // namespace Profiles
