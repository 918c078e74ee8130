// Startup items on macOS: launch agents and daemons, unloaded with launchctl
// before they are moved to the Trash.
#include "profiles/StartupSources.h"

#include "platform/FS.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace Profiles {

namespace {

std::vector<LaunchFolder> folders()
{
    return {
        {FS::expand("~/Library/LaunchAgents"), QStringLiteral("Usuário"), true},
        {"/Library/LaunchAgents", QStringLiteral("Todos os usuários"), false},
        {"/Library/LaunchDaemons", QStringLiteral("Sistema (daemon)"), false},
    };
}

std::string userUnloadCommand(const fs::path& item, unsigned uid)
{
    return "launchctl bootout gui/" + std::to_string(uid) + " " + Shell::q(item.native()) + " 2>/dev/null";
}

// From "system" for daemons, else from the user's gui domain.
std::string adminUnloadCommand(const fs::path& item, unsigned uid)
{
    const bool daemon = item.native().rfind("/Library/LaunchDaemons", 0) == 0;
    const std::string domain = daemon ? std::string("system") : "gui/" + std::to_string(uid);
    return "launchctl bootout " + domain + " " + Shell::q(item.native()) + " 2>/dev/null";
}

} // namespace

StartupSources macosStartup()
{
    return {.folders = folders, .userUnloadCommand = userUnloadCommand, .adminUnloadCommand = adminUnloadCommand};
}

} // namespace Profiles
