// The macos profile's applications: bundles in the application folders, and
// their leftovers in the Library.
#include "profiles/Applications.h"

#include "engines/Sweeper.h"
#include "platform/Processes.h"

namespace Profiles {

namespace {

AppPlaces places()
{
    return {.bundleFolders = Sweeper::appFolders(), .entries = {}, .tools = {}, .home = FS::home()};
}

std::vector<AppInfo> scan(const AppPlaces& places)
{
    return Sweeper::scanApps(places.bundleFolders);
}

std::vector<JunkItem> files(const AppInfo& app, const std::vector<AppInfo>&, const AppPlaces& places)
{
    return Sweeper::appFiles(app, places.home);
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

const Applications kMacOSApplications{
    .places = places,
    .scan = scan,
    .files = files,
    .plan = plan,
    .quit = quit,
    .header = "%ld apps encontrados. Escolha um para ver o app e tudo o que ele espalhou pela Biblioteca.",
};

} // namespace Profiles
