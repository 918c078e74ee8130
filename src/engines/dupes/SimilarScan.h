#pragma once
// Pictures that look alike: the same photo saved at another size, compressed
// again, exported to another format, rotated or mirrored. Each picture is read
// small, given a perceptual hash, and grouped around a centre with the
// pictures whose hash lies within the chosen level's distance of it. Groups
// reuse the duplicate search's records (Group::similar), so the page, the
// ticks, the plan and the Trash are the duplicate search's own.
#include <cstdint>
#include <filesystem>

#include "engines/dupes/DuplicateScan.h"

namespace Dupes {

// How alike the pictures of a group must be.
enum class Likeness { VerySimilar = 1, Similar = 2, Maybe = 3 };

// The largest distance between a copy's hash and its group's centre at a level.
int maxDistance(Likeness level);

struct SimilarOptions {
    WalkOptions walk;
    Likeness level = Likeness::Similar;
    int readers = 0;              // threads that read pictures; 0: one per processor
    std::filesystem::path cache;  // the file that keeps hashes between searches; empty: none
};

struct SimilarResult {
    std::vector<Group> groups;  // Group::similar, the kept copy first (KeepRule::MostPixels), nothing ticked
    std::int64_t files = 0;     // files the walk took
    std::int64_t pictures = 0;  // of them, pictures that were read
    int tooLarge = 0;           // pictures too large to read within the memory limit
    int unreadable = 0;         // pictures that could not be read
    int ignored = 0;            // places the never-touch list kept the walk from
    bool cancelled = false;     // the search was stopped: nothing was kept
};

// The hash cache in the program's cache folder ($XDG_CACHE_HOME/Quillmoor/).
std::filesystem::path defaultPictureCache();

// Walks `folder`, reads its pictures and groups those that look alike.
// Progress comes as Phase::Walking, then Phase::Pictures (pictures read of
// the total); the cancel flag is read between pictures, and a cancelled
// search returns no group.
SimilarResult findSimilar(const std::filesystem::path& folder, const SimilarOptions& options, const CancelFlag& flag,
                          const ProgressFn& progress = {});

} // namespace Dupes
