// The places Linux never offers for removal.
#include "profiles/ProtectedPlaces.h"

#include "platform/Paths.h"

namespace Profiles {

namespace {

FS::Protection current()
{
    FS::Protection places{
        // "/home" plays the part of the folder of all users' homes: it is
        // protected itself, and every folder directly in it by its own rule.
        .systemRoots = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/etc", "/boot", "/dev",
                        "/proc", "/sys", "/run", "/snap", "/var/lib", "/home"},
        .usersRoot = "/home",
        .homePlaces = {"", "/Library", "/Desktop", "/Documents", "/Downloads", "/Movies", "/Music", "/Pictures",
                       "/Public", "/Applications", "/.Trash", "/Videos", "/Templates", "/.local/share/Trash",
                       "/.local/share/Trash/files", "/.config", "/.local", "/.local/share", "/.local/state",
                       "/.cache", "/.var", "/.var/app", "/snap"},
        .places = {},
        .homeJunk = {".xsession-errors", ".xsession-errors.old"}};
    // The base folders wherever XDG_* puts them (the cache folder also as
    // its link resolves), and every folder the user's user-dirs.dirs names,
    // localised names included.
    const std::filesystem::path cache = Paths::cacheHome();
    places.places = {Paths::dataHome(), Paths::configHome(), Paths::stateHome(), cache};
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(cache, error);
    if (!error)
        places.places.push_back(real);
    for (const Paths::UserDir& dir : Paths::userDirs())
        places.places.push_back(dir.path);
    return places;
}

} // namespace

ProtectedPlaces linuxProtectedPlaces()
{
    return {.current = current};
}

} // namespace Profiles
