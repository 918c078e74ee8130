#pragma once
// The places a walk over the user's files never enters nor counts (the Trash,
// a system's own folders, and the storage of containers and snapshots), and
// the spellings of paths the walker uses: shared by the large-file walk and
// the duplicate walk.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Walker.h"

namespace WalkPlaces {

// A path as the walker spells it: lexically normal, no trailing slash, and
// the root "/" as "" (the walker's folder text for the root).
std::string walkerText(const std::filesystem::path& path);

// The folder with every link on its way resolved (as the walker meets it),
// or as it is written when it cannot be resolved.
std::filesystem::path resolvedFolder(const std::filesystem::path& folder);

// One place the walk neither enters nor counts, as (holding folder, name).
struct SkipPlace {
    std::string folder;
    std::string name;
};

// The Trash folder, the storage of containers and snapshots
// (FS::storagePlaces) and the folders `skip` names directly in `home`
// (normalised).
std::vector<SkipPlace> skipPlaces(const std::filesystem::path& home, const std::vector<std::string>& skip = {});

// Whether a walk asked for `written`, which the walk reaches as `root`, would
// start in a storage place: it then walks nothing.
bool startsInStorage(const std::filesystem::path& written, const std::filesystem::path& root);

bool isSkipped(const Walker::Entry& entry, const std::vector<SkipPlace>& places);

} // namespace WalkPlaces
