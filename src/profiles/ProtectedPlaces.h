#pragma once
// The places that are never offered for removal themselves (FS::isProtected).
#include "platform/FS.h"

namespace Profiles {

struct ProtectedPlaces {
    // The places as FS::setProtection takes them, computed when the profile
    // becomes active (the folders the user's settings name are read then).
    FS::Protection (*current)() = nullptr;
};

ProtectedPlaces linuxProtectedPlaces();
ProtectedPlaces macosProtectedPlaces();

} // namespace Profiles
