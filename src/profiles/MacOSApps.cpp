// Applications on macOS: bundles in the Applications folders, leftovers in
// the user's Library.
#include "profiles/AppSources.h"
#include "profiles/SystemPlaces.h"
#include "profiles/SystemTraits.h"

#include "platform/FS.h"

namespace Profiles {

MacApps::Places macosAppPlaces()
{
    MacApps::Places places;
    places.folders = {"/Applications", "/Applications/Setapp", "/Applications/Utilities", FS::expand("~/Applications")};
    places.leftoverDirs = {
        "Library/Application Support", "Library/Caches", "Library/Preferences", "Library/Containers",
        "Library/Group Containers", "Library/Logs", "Library/Saved Application State", "Library/HTTPStorages",
        "Library/WebKit", "Library/Cookies", "Library/LaunchAgents", "Library/Application Scripts",
        "Library/Preferences/ByHost"};
    places.home = FS::home();
    places.systemPrefix = macosTraits().systemAppPrefix;
    return places;
}

AppSources macosApps()
{
    return {.backend = [] { return MacApps::backend(macosAppPlaces()); }};
}

} // namespace Profiles
