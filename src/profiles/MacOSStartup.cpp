// Startup items on macOS: launch agents and daemons.
#include "profiles/StartupSources.h"
#include "profiles/SystemPlaces.h"

#include "engines/startup/MacLaunchItems.h"
#include "platform/FS.h"

namespace Profiles {

std::vector<LaunchFolder> macosLaunchFolders()
{
    return {
        {FS::expand("~/Library/LaunchAgents"), QStringLiteral("Usuário"), true},
        {"/Library/LaunchAgents", QStringLiteral("Todos os usuários"), false},
        {"/Library/LaunchDaemons", QStringLiteral("Sistema (daemon)"), false},
    };
}

StartupSources macosStartup()
{
    return {.backend = [] { return MacStartup::backend(macosLaunchFolders()); }};
}

} // namespace Profiles
