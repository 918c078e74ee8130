// The small facts of Linux: no folder is a package, and a sandbox that hides
// the home folder is what the access check finds (there is no settings page).
#include "profiles/SystemTraits.h"

namespace Profiles {

SystemTraits linuxTraits()
{
    return {.large = {}, .systemAppPrefix = {}, .fullDiskAccessProbe = true, .fullDiskAccessSettings = {}};
}

} // namespace Profiles
