// Applications on Linux. Until their own sources land, the designed ones.
#include "profiles/AppSources.h"

namespace Profiles {

AppSources linuxApps()
{
    return macosApps();
}

} // namespace Profiles
