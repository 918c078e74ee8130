// Applications on Linux: desktop entries with the owner that installed them,
// leftovers in the user's folders (see LinuxDesktopApps.h).
#include "profiles/AppSources.h"

#include "platform/FS.h"

namespace Profiles {

namespace {

// Every listed folder is walked by the scan itself, so there is no fixed list.
std::vector<std::filesystem::path> folders()
{
    return LinuxApps::defaultSources().folders;
}

const std::vector<std::string>& leftoverDirs()
{
    static const std::vector<std::string> dirs{".config", ".local/share", ".local/state", ".cache"};
    return dirs;
}

AppPlaces places()
{
    return {.bundleFolders = {}, .entries = LinuxApps::defaultSources(), .tools = LinuxApps::defaultRunner(),
            .home = FS::home()};
}

std::vector<AppInfo> scan(const AppPlaces& places)
{
    return LinuxApps::scanApps(places.entries, places.tools);
}

std::vector<JunkItem> files(const AppInfo& app, const std::vector<AppInfo>& installed, const AppPlaces& places)
{
    return LinuxApps::appFiles(app, installed, places.home, LinuxApps::inUseCheck(app.executable));
}

LinuxApps::UninstallPlan plan(const AppInfo& app, const std::vector<AppInfo>& installed, const AppPlaces& places)
{
    return LinuxApps::planUninstall(app, installed, places.tools);
}

void quit(const AppInfo& app)
{
    LinuxApps::requestQuit(app.executable);
}

} // namespace

AppSources linuxApps()
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
