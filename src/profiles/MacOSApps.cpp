// Applications on macOS: bundles in the Applications folders, leftovers in
// the user's Library.
#include "profiles/AppSources.h"

#include "platform/FS.h"

namespace Profiles {

namespace {

std::vector<std::filesystem::path> folders()
{
    return {"/Applications", "/Applications/Setapp", "/Applications/Utilities", FS::expand("~/Applications")};
}

const std::vector<std::string>& leftoverDirs()
{
    static const std::vector<std::string> dirs{
        "Library/Application Support", "Library/Caches", "Library/Preferences", "Library/Containers",
        "Library/Group Containers", "Library/Logs", "Library/Saved Application State", "Library/HTTPStorages",
        "Library/WebKit", "Library/Cookies", "Library/LaunchAgents", "Library/Application Scripts",
        "Library/Preferences/ByHost"};
    return dirs;
}

} // namespace

AppSources macosApps()
{
    return {.folders = folders, .leftoverDirs = leftoverDirs};
}

} // namespace Profiles
