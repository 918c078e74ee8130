#include "profiles/Profile.h"

#include <QtGlobal>

#include "engines/Sweeper.h"
#include "profiles/LinuxMaintenance.h"
#include "profiles/LinuxStartup.h"

namespace Profiles {

namespace {

const Profile kLinux{
    .name = "linux",
    .startup = {.scan = [] { return LinuxStartup::scan(LinuxStartup::sources()); },
                .setOn = [](const AgentItem& item, bool on) { return LinuxStartup::setOn(item, on, LinuxStartup::sources()); }},
    .routines = {.tasks = [] { return LinuxMaintenance::tasks(); }, .reasons = Maintenance::Reasons::WithReasons},
};
const Profile kMacOS{
    .name = "macos",
    .startup = {.scan = [] { return Sweeper::scanAgents(); }, .setOn = {}},
    .routines = {.tasks = [] { return Maintenance::tasks(); }, .reasons = Maintenance::Reasons::Silent},
};

const Profile* chosen = nullptr;

const Profile* fromEnvironment()
{
    const QString name = qEnvironmentVariable("QUILLMOOR_PROFILE");
    if (name.isEmpty())
        return nullptr;
    const Profile* profile = byName(name);
    if (!profile)
        qWarning("QUILLMOOR_PROFILE names no profile (%s); using %s", qPrintable(name),
                 qPrintable(builtIn().name));
    return profile;
}

} // namespace

const Profile* byName(const QString& name)
{
    if (name == kLinux.name)
        return &kLinux;
    if (name == kMacOS.name)
        return &kMacOS;
    return nullptr;
}

const Profile& builtIn()
{
#ifdef Q_OS_MACOS
    return kMacOS;
#else
    return kLinux;
#endif
}

const Profile& active()
{
    if (!chosen) {
        const Profile* fromEnv = fromEnvironment();
        chosen = fromEnv ? fromEnv : &builtIn();
    }
    return *chosen;
}

bool choose(const QString& name)
{
    const Profile* profile = byName(name);
    if (!profile)
        return false;
    chosen = profile;
    return true;
}

} // namespace Profiles
