// The places Linux never offers for removal.
#include "profiles/ProtectedPlaces.h"

namespace Profiles {

namespace {

FS::Protection current()
{
    // "/home" plays the part of the folder of all users' homes: it is
    // protected itself, and every folder directly in it by its own rule.
    return {.systemRoots = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/etc", "/boot", "/dev",
                            "/proc", "/sys", "/run", "/snap", "/var/lib", "/home"},
            .usersRoot = "/home",
            .homePlaces = {"", "/Library", "/Desktop", "/Documents", "/Downloads", "/Movies", "/Music", "/Pictures",
                           "/Public", "/Applications", "/.Trash", "/Videos", "/Templates", "/.local/share/Trash",
                           "/.local/share/Trash/files"},
            .places = {}};
}

} // namespace

ProtectedPlaces linuxProtectedPlaces()
{
    return {.current = current};
}

} // namespace Profiles
