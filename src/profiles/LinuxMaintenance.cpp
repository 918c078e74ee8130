// Maintenance routines on Linux. Until their own routines land, the designed ones.
#include "profiles/MaintenanceRoutines.h"

namespace Profiles {

MaintenanceRoutines linuxMaintenance()
{
    return macosMaintenance();
}

} // namespace Profiles
