// Startup items on Linux. Until their own sources land, the designed ones.
#include "profiles/StartupSources.h"

namespace Profiles {

StartupSources linuxStartup()
{
    return macosStartup();
}

} // namespace Profiles
