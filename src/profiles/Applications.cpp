#include "profiles/Applications.h"
#include "platform/FS.h"

namespace Profiles {

extern const Applications kMacOSApplications;
extern const Applications kLinuxApplications;

const Applications& applications(const Profile& profile)
{
    return profile.name == QLatin1String("macos") ? kMacOSApplications : kLinuxApplications;
}

std::int64_t appSize(const AppInfo& app)
{
    if (app.knownSize >= 0)
        return app.knownSize;
    return FS::size(app.ownItem.empty() ? app.url : app.ownItem);
}

} // namespace Profiles
