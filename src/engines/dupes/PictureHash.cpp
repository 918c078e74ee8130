#include "engines/dupes/PictureHash.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace Dupes {

namespace {

constexpr int N = kThumbSide;

// The 64 frequencies (vertical u, horizontal v) the hash reads: every one with
// 1 <= u + v <= 9, then the first ten with u + v = 10.
struct Frequencies {
    std::array<std::pair<int, int>, 64> at{};
    Frequencies()
    {
        int k = 0;
        for (int sum = 1; k < 64; ++sum)
            for (int u = 0; u <= sum && k < 64; ++u)
                at[std::size_t(k++)] = {u, sum - u};
    }
};
constexpr int kMaxFrequency = 11;  // u and v stay below this

// cos((2x + 1) f π / 2N) for f below kMaxFrequency.
struct CosineTable {
    float c[kMaxFrequency][N];
    CosineTable()
    {
        for (int f = 0; f < kMaxFrequency; ++f)
            for (int x = 0; x < N; ++x)
                c[f][x] = float(std::cos((2 * x + 1) * f * std::numbers::pi / (2.0 * N)));
    }
};

const Frequencies& frequencies()
{
    static const Frequencies table;
    return table;
}
const CosineTable& cosines()
{
    static const CosineTable table;
    return table;
}

} // namespace

GreyThumb greyThumbnail(const float* grey, int width, int height, int stride)
{
    GreyThumb thumb{};
    if (width <= 0 || height <= 0)
        return thumb;
    // Each thumbnail value averages the source area it covers, edges weighted by the part inside it.
    const double sx = double(width) / N, sy = double(height) / N;
    std::vector<float> columns(std::size_t(height) * N);  // each row shrunk to N values
    for (int y = 0; y < height; ++y) {
        const float* row = grey + std::size_t(y) * std::size_t(stride);
        for (int tx = 0; tx < N; ++tx) {
            const double from = tx * sx, to = (tx + 1) * sx;
            double sum = 0;
            for (int x = int(from); x < width && x < to; ++x) {
                const double weight = std::min<double>(x + 1, to) - std::max<double>(x, from);
                sum += weight * row[x];
            }
            columns[std::size_t(y) * N + std::size_t(tx)] = float(sum / sx);
        }
    }
    for (int ty = 0; ty < N; ++ty) {
        const double from = ty * sy, to = (ty + 1) * sy;
        for (int tx = 0; tx < N; ++tx) {
            double sum = 0;
            for (int y = int(from); y < height && y < to; ++y) {
                const double weight = std::min<double>(y + 1, to) - std::max<double>(y, from);
                sum += weight * columns[std::size_t(y) * N + std::size_t(tx)];
            }
            thumb[std::size_t(ty * N + tx)] = float(sum / sy);
        }
    }
    return thumb;
}

GreyThumb oriented(const GreyThumb& thumb, int which)
{
    GreyThumb out{};
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            int sx = which & 1 ? N - 1 - x : x;
            int sy = which & 2 ? N - 1 - y : y;
            if (which & 4)
                std::swap(sx, sy);
            out[std::size_t(y * N + x)] = thumb[std::size_t(sy * N + sx)];
        }
    return out;
}

std::uint64_t dctHash(const GreyThumb& thumb)
{
    const CosineTable& cos = cosines();
    // Rows first: each row's horizontal frequencies below kMaxFrequency.
    float rows[N][kMaxFrequency];
    for (int y = 0; y < N; ++y)
        for (int v = 0; v < kMaxFrequency; ++v) {
            float sum = 0;
            for (int x = 0; x < N; ++x)
                sum += thumb[std::size_t(y * N + x)] * cos.c[v][x];
            rows[y][v] = sum;
        }
    std::array<float, 64> values{};
    const Frequencies& wanted = frequencies();
    for (std::size_t k = 0; k < 64; ++k) {
        const auto [u, v] = wanted.at[k];
        float sum = 0;
        for (int y = 0; y < N; ++y)
            sum += rows[y][v] * cos.c[u][y];
        values[k] = sum;
    }
    std::array<float, 64> sorted = values;
    std::nth_element(sorted.begin(), sorted.begin() + 32, sorted.end());
    const float upper = sorted[32];
    const float lower = *std::max_element(sorted.begin(), sorted.begin() + 32);
    const float median = (upper + lower) / 2;
    std::uint64_t hash = 0;
    for (std::size_t k = 0; k < 64; ++k)
        if (values[k] > median)
            hash |= std::uint64_t(1) << k;
    return hash;
}

OrientedHashes orientedHashes(const GreyThumb& thumb)
{
    OrientedHashes hashes{};
    for (int which = 0; which < 8; ++which)
        hashes[std::size_t(which)] = dctHash(which == 0 ? thumb : oriented(thumb, which));
    return hashes;
}

bool isPlain(const GreyThumb& thumb)
{
    const auto [low, high] = std::minmax_element(thumb.begin(), thumb.end());
    return *high - *low < 4.0f;
}

int meanGrey(const GreyThumb& thumb)
{
    double sum = 0;
    for (const float value : thumb)
        sum += value;
    return std::clamp(int(std::lround(sum / double(thumb.size()))), 0, 255);
}

int likenessDistance(const OrientedHashes& picture, std::uint64_t other)
{
    int best = 64;
    for (const std::uint64_t hash : picture)
        best = std::min(best, hashDistance(hash, other));
    return best;
}

} // namespace Dupes
