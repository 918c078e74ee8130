#pragma once
// The walk that finds the files the duplicate search compares.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "engines/common/NeverTouchList.h"
#include "engines/dupes/Duplicates.h"
#include "engines/records/Large.h"

namespace Dupes {

struct WalkOptions {
    std::int64_t minBytes = 1'000'000;  // smaller files are passed over (never less than 1 byte)
    bool hidden = false;                // also enter hidden folders and take hidden files
    int workers = 0;                    // walking threads; 0: as many as the folder sizing uses
    NeverTouchList never = {};          // places neither entered nor read nor listed
};

// Files met between two progress reports (and cancel checks).
inline constexpr int kWalkProgressStep = 2000;

// Every regular file of at least minBytes below `folder`, in no set order.
// Never entered: the Trash, the storage of containers and snapshots
// (FS::storagePlaces; a folder in one walks nothing), other mounts below the
// folder (a chosen folder that is itself a mount point is walked), and hidden
// entries unless asked; links are never followed nor listed; devices, FIFOs
// and sockets are never taken. Paths keep the folder's own spelling. Every
// kWalkProgressStep files `progress(count)` is called and then the cancel flag
// read; once it is set the walk ends and returns nothing. A folder the
// never-touch list covers is not entered and a file it covers not taken, each
// counted in `ignored` (a file only when it reaches minBytes).
FileList walkFiles(const std::filesystem::path& folder, const WalkOptions& options, const CancelFlag& flag,
                   const std::function<void(int)>& progress = {}, int* ignored = nullptr);

} // namespace Dupes
