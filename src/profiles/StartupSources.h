#pragma once
// What starts with the session or the machine on this system: the engine
// that lists startup items and switches or removes one, bound to this
// system's places.
#include "engines/startup/Startup.h"

namespace Profiles {

struct StartupSources {
    // This system's startup items over its places as they are now.
    StartupBackend (*backend)() = nullptr;
};

StartupSources linuxStartup();
StartupSources macosStartup();

} // namespace Profiles
