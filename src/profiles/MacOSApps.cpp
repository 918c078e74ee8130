// Applications on macOS: bundles in the Applications folders, leftovers in
// the user's Library.
#include "profiles/AppSources.h"

#include "engines/Sweeper.h"
#include "platform/FS.h"
#include "platform/Processes.h"

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

AppPlaces places()
{
    return {.bundleFolders = folders(), .entries = {}, .tools = {}, .home = FS::home()};
}

std::vector<AppInfo> scan(const AppPlaces& places)
{
    return Sweeper::scanApps(places.bundleFolders);
}

std::vector<JunkItem> files(const AppInfo& app, const std::vector<AppInfo>&, const AppPlaces& places)
{
    return Sweeper::appFiles(app, leftoverDirs(), places.home);
}

LinuxApps::UninstallPlan plan(const AppInfo&, const std::vector<AppInfo>&, const AppPlaces&)
{
    return {};
}

void quit(const AppInfo& app)
{
    Processes::requestQuit(app.url);
}

} // namespace

AppSources macosApps()
{
    return {.folders = folders,
            .leftoverDirs = leftoverDirs,
            .places = places,
            .scan = scan,
            .files = files,
            .plan = plan,
            .quit = quit};
}

} // namespace Profiles
