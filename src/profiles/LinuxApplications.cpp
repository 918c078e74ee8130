// The linux profile's applications: desktop entries with their owners, and
// their leftovers in the user's folders (see LinuxApps.h).
#include "profiles/Applications.h"

#include "platform/FS.h"

namespace Profiles {

namespace {

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

const Applications kLinuxApplications{
    .places = places,
    .scan = scan,
    .files = files,
    .plan = plan,
    .quit = quit,
    .header = "%ld apps encontrados. Escolha um para ver o app e tudo o que ele deixou na sua pasta pessoal.",
};

} // namespace Profiles
