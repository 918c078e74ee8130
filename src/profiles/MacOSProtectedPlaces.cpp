// The places macOS never offers for removal.
#include "profiles/ProtectedPlaces.h"

namespace Profiles {

namespace {

FS::Protection current()
{
    return {.systemRoots = {"/System", "/usr", "/bin", "/sbin", "/private", "/cores", "/dev", "/Library/Apple",
                            "/Users"},
            .usersRoot = "/Users",
            .homePlaces = {"", "/Library", "/Desktop", "/Documents", "/Downloads", "/Movies", "/Music", "/Pictures",
                           "/Public", "/Applications", "/.Trash"},
            .places = {}};
}

} // namespace

ProtectedPlaces macosProtectedPlaces()
{
    return {.current = current};
}

} // namespace Profiles
