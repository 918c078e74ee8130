#pragma once
// What an application is on this system: the engine that finds, describes and
// removes applications, bound to this system's places.
#include "engines/apps/Apps.h"

namespace Profiles {

struct AppSources {
    // This system's applications over its places as they are now (the
    // folders the environment names are read at each call).
    AppBackend (*backend)() = nullptr;
};

AppSources linuxApps();
AppSources macosApps();

} // namespace Profiles
