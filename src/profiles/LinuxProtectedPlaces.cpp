// The places Linux never offers for removal.
#include "profiles/ProtectedPlaces.h"

#include "engines/junk/SnapshotGroups.h"
#include "platform/Paths.h"

namespace Profiles {

namespace {

// The folders that hold other systems whole: containers' images and volumes
// (rootless Podman wherever XDG_DATA_HOME puts it and in its usual place, the
// system's Podman and Docker) and snapshots of the whole system (snapper,
// Timeshift, and the folder Timeshift mounts a btrfs disk under; wherever
// else their configurations keep them). Image layers are full of absolute
// links and copies of system files.
std::vector<std::filesystem::path> storagePlaces()
{
    std::vector<std::filesystem::path> places{Paths::dataHome() / "containers", Paths::home() / ".local/share/containers",
                                              "/var/lib/containers", "/var/lib/docker", "/.snapshots", "/timeshift",
                                              "/run/timeshift"};
    for (std::filesystem::path& tree : SystemJunk::snapshotTrees())
        places.push_back(std::move(tree));
    return places;
}

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
        .homeJunk = {".xsession-errors", ".xsession-errors.old"},
        .storage = storagePlaces()};
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
