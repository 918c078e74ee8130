#include "engines/dupes/PictureGroups.h"

#include <algorithm>
#include <cstdlib>

namespace Dupes {

namespace {

// One picture as a band files it: its hash as shown beside its number, so
// that most pictures met are turned away without reading their key.
struct Filed {
    std::uint64_t hash = 0;
    std::uint32_t id = 0;
};

// The pictures filed by one band of their hash as shown ([0]), for the hashes
// whose band lies within `radius` bits of a value.
class BandIndex {
public:
    BandIndex(const std::vector<PictureKey>& pictures, int first, int bits) : first_(first), bits_(bits)
    {
        const std::size_t values = std::size_t(1) << bits;
        starts_.assign(values + 1, 0);
        for (const PictureKey& picture : pictures)
            ++starts_[bandOf(picture.hashes[0]) + 1];
        for (std::size_t v = 0; v < values; ++v)
            starts_[v + 1] += starts_[v];
        filed_.resize(pictures.size());
        std::vector<std::uint32_t> at(starts_.begin(), starts_.end() - 1);
        for (std::size_t i = 0; i < pictures.size(); ++i)
            filed_[at[bandOf(pictures[i].hashes[0])]++] = {pictures[i].hashes[0], std::uint32_t(i)};
    }

    std::uint32_t bandOf(std::uint64_t hash) const
    {
        return std::uint32_t((hash >> first_) & ((std::uint64_t(1) << bits_) - 1));
    }

    // Calls `visit` for every picture filed whose band is within `radius` bits of `hash`'s.
    template <class Visit>
    void near(std::uint64_t hash, int radius, const Visit& visit) const
    {
        const std::uint32_t band = bandOf(hash);
        visitValue(band, visit);
        if (radius >= 1)
            for (int a = 0; a < bits_; ++a) {
                visitValue(band ^ (1u << a), visit);
                if (radius >= 2)
                    for (int b = a + 1; b < bits_; ++b)
                        visitValue(band ^ (1u << a) ^ (1u << b), visit);
            }
    }

private:
    template <class Visit>
    void visitValue(std::uint32_t value, const Visit& visit) const
    {
        for (std::uint32_t k = starts_[value]; k < starts_[value + 1]; ++k)
            visit(filed_[k]);
    }

    int first_, bits_;
    std::vector<std::uint32_t> starts_;
    std::vector<Filed> filed_;
};

} // namespace

std::vector<AlikeGroup> groupAlike(const std::vector<PictureKey>& pictures, int maxDistance)
{
    std::vector<AlikeGroup> groups;
    if (pictures.size() < 2 || maxDistance < 0)
        return groups;
    // Two hashes within d bits differ by at most d / m bits in one of m bands.
    // Fewer bands mean fuller lists to read, more bands more values to look
    // up: take the count (4 to 8, never more than two bits a band) that reads the least.
    const auto costOf = [&](int bands) {
        const int bits = 64 / bands, radius = maxDistance / bands;
        const double values = 1.0 + bits + (radius >= 2 ? bits * (bits - 1) / 2.0 : 0.0);
        return radius > 2 ? 1e300 : bands * values * (1.0 + double(pictures.size()) / double(1 << bits));
    };
    int bands = 8;
    for (int m = 7; m >= 4; --m)
        if (costOf(m) < costOf(bands))
            bands = m;
    std::vector<BandIndex> index;
    for (int b = 0, first = 0; b < bands; ++b) {
        const int bits = 64 / bands + (b < 64 % bands ? 1 : 0);
        index.emplace_back(pictures, first, bits);
        first += bits;
    }
    const int radius = maxDistance / bands;

    std::vector<bool> grouped(pictures.size(), false);
    std::vector<std::uint32_t> seenBy(pictures.size(), 0);  // the centre (plus one) that last compared it
    for (std::size_t centre = 0; centre < pictures.size(); ++centre) {
        if (grouped[centre])
            continue;
        const PictureKey& key = pictures[centre];
        seenBy[centre] = std::uint32_t(centre + 1);
        AlikeGroup group;
        group.members.push_back(centre);
        group.distances.push_back(0);
        for (const std::uint64_t hash : key.hashes) {
            const auto compare = [&](const Filed& other) {
                if (hashDistance(hash, other.hash) > maxDistance || seenBy[other.id] == centre + 1 || grouped[other.id])
                    return;
                seenBy[other.id] = std::uint32_t(centre + 1);
                if (std::abs(pictures[other.id].mean - key.mean) > kMaxMeanGap)
                    return;
                group.members.push_back(other.id);
                group.distances.push_back(likenessDistance(key.hashes, other.hash));
            };
            for (const BandIndex& band : index)
                band.near(hash, radius, compare);
        }
        if (group.members.size() < 2)
            continue;
        for (const std::size_t member : group.members)
            grouped[member] = true;
        // Members in the order of the pictures, so the group is the same however the bands met them.
        std::vector<std::size_t> order(group.members.size() - 1);
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i + 1;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return group.members[a] < group.members[b]; });
        AlikeGroup sorted;
        sorted.members.push_back(centre);
        sorted.distances.push_back(0);
        for (const std::size_t i : order) {
            sorted.members.push_back(group.members[i]);
            sorted.distances.push_back(group.distances[i]);
        }
        groups.push_back(std::move(sorted));
    }
    return groups;
}

} // namespace Dupes
