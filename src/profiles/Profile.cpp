#include "profiles/Profile.h"

#include <QtGlobal>

namespace Profiles {

namespace {

const Profile kLinux{.name = "linux"};
const Profile kMacOS{.name = "macos"};

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
