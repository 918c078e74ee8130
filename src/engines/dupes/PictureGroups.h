#pragma once
// Grouping pictures by likeness around centres. A picture joins the group of
// a centre when its hash lies within the level's distance of one of the
// centre's eight orientations; groups never chain (A near B, B near C, A far
// from C is never one group). The near hashes are found through the hash's
// bands (multi-index hashing): two hashes within d bits agree closely on at
// least one of m bands, so only the pictures filed under band values close to
// the centre's are compared, never every pair.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engines/dupes/PictureHash.h"

namespace Dupes {

// What the grouping knows of a picture.
struct PictureKey {
    OrientedHashes hashes{};
    int mean = 0;  // mean grey, 0 to 255
};

// Pictures whose mean greys differ by more than this never group, however
// close their hashes: a light and a dark version of one design.
inline constexpr int kMaxMeanGap = 40;

struct AlikeGroup {
    std::vector<std::size_t> members;  // indexes into the pictures; [0] the centre
    std::vector<int> distances;        // of each member from the centre (0 for the centre)
};

// Groups `pictures` taken in the given order: the first picture not yet in a
// group becomes a centre, and every picture not yet in a group within
// `maxDistance` of it joins it (a centre alone makes no group). The result
// follows from the order alone, never from where the pictures were found.
std::vector<AlikeGroup> groupAlike(const std::vector<PictureKey>& pictures, int maxDistance);

} // namespace Dupes
