#pragma once
// The perceptual hash of the likeness search, as pure functions over a small
// grey picture: the picture is shrunk to 32×32 by averaging, its 64 lowest
// frequencies after the mean (a discrete cosine transform) each give one bit,
// set when the frequency lies above their median. Pictures that look alike
// have hashes a few bits apart; a picture turned or mirrored is matched by
// hashing its eight orientations, which on 32×32 values costs next to nothing.
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace Dupes {

inline constexpr int kThumbSide = 32;

// 32×32 grey values (0 to 255), row by row.
using GreyThumb = std::array<float, kThumbSide * kThumbSide>;

// The hash of each of a picture's eight orientations: [0] as it is shown, then
// mirrored left to right, upside down, turned half a turn, and the same four
// with rows and columns swapped (which makes the quarter turns).
using OrientedHashes = std::array<std::uint64_t, 8>;

// Shrinks a grey picture of width × height values (row by row, `stride`
// values apart) to 32×32 by averaging the area each value covers, so a picture
// and the same one at another size give nearly the same values. Its aspect is
// not kept: a picture and its copy share theirs.
GreyThumb greyThumbnail(const float* grey, int width, int height, int stride);

// The thumbnail in orientation `which` (0 to 7, as OrientedHashes counts them).
GreyThumb oriented(const GreyThumb& thumb, int which);

// The 64-bit hash of a thumbnail as it lies.
std::uint64_t dctHash(const GreyThumb& thumb);

// The eight hashes of a thumbnail.
OrientedHashes orientedHashes(const GreyThumb& thumb);

// Whether a thumbnail is all but one flat colour: its hash is noise, and such
// pictures are never grouped by likeness.
bool isPlain(const GreyThumb& thumb);

// The mean grey value of a thumbnail, 0 to 255.
int meanGrey(const GreyThumb& thumb);

// Bits two hashes differ in (inline: the grouping calls it for every picture a band meets).
inline int hashDistance(std::uint64_t a, std::uint64_t b) { return std::popcount(a ^ b); }

// How far `other` (as shown) lies from the picture whose orientations are
// `picture`: the nearest of the eight.
int likenessDistance(const OrientedHashes& picture, std::uint64_t other);

} // namespace Dupes
