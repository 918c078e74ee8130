#include "engines/dupes/SimilarScan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <tuple>
#include <unordered_map>

#include "engines/dupes/PictureCache.h"
#include "engines/dupes/PictureRead.h"
#include "platform/Paths.h"
#include "platform/Quitting.h"

namespace fs = std::filesystem;

namespace Dupes {

namespace {

constexpr auto kProgressEvery = std::chrono::milliseconds(100);

bool stopped(const CancelFlag& flag) { return flag.cancelled.load() || Quitting::requested(); }

// The cache's entries by device and inode.
struct FileKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileKey&) const = default;
};
struct FileKeyHash {
    std::size_t operator()(const FileKey& key) const { return std::hash<std::uint64_t>()(key.device * 0x9E3779B97F4A7C15ULL ^ key.inode); }
};

// One file the walk met (its first name, and its other names), and what was read of it.
struct Met {
    Copy copy;
    PictureInfo info;
    bool known = false;  // the cache held it unchanged
};

// Each file once, whatever its number of names: the first name found, the others beside it.
std::vector<Met> filesOnce(FileList& files)
{
    files.sortForGrouping();  // by size, then device and inode: the names of one file lie side by side
    std::vector<Met> met;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileList::File& file = files[i];
        if (!met.empty() && i > 0 && files[i - 1].device == file.device && files[i - 1].inode == file.inode) {
            met.back().copy.otherNames.push_back(files.pathOf(file));
            continue;
        }
        met.push_back({Copy{files.candidate(file), {}}, {}, false});
    }
    return met;
}

// Reads the pictures not yet known, `readers` at a time, in the order of
// their places on the disk; false when stopped.
bool readAll(std::vector<Met>& met, int readers, const CancelFlag& flag, const ProgressFn& progress)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < met.size(); ++i)
        if (!met[i].known)
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(met[a].copy.file.device, met[a].copy.file.inode)
               < std::tie(met[b].copy.file.device, met[b].copy.file.inode);
    });
    const std::int64_t total = std::int64_t(order.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::int64_t> done{0};
    std::mutex reporting;
    auto lastReport = std::chrono::steady_clock::now();
    if (progress)
        progress({Phase::Pictures, 0, total, 0});
    const auto readSome = [&] {
        for (std::size_t k = next.fetch_add(1); k < order.size() && !stopped(flag); k = next.fetch_add(1)) {
            Met& one = met[order[k]];
            one.info = readPicture(one.copy.file.path);
            const std::int64_t count = done.fetch_add(1) + 1;
            if (!progress)
                continue;
            const auto now = std::chrono::steady_clock::now();
            const std::lock_guard hold(reporting);
            if (count == total || now - lastReport >= kProgressEvery) {
                lastReport = now;
                progress({Phase::Pictures, count, total, 0});
            }
        }
    };
    {
        std::vector<std::jthread> threads;
        const int count = std::clamp(readers, 1, int(std::max<std::size_t>(order.size(), 1)));
        for (int t = 1; t < count; ++t)
            threads.emplace_back(readSome);
        readSome();
    }
    return !stopped(flag);
}

} // namespace

int maxDistance(Likeness level)
{
    switch (level) {
    // Measured on 500 pictures and eight copies of each (bench/similar_bench):
    // a copy lies 0 to 4 bits from its picture, a 3 % crop up to 10; two
    // different pictures came no nearer than 12. Hashes always have 32 bits
    // set, so distances are even.
    case Likeness::VerySimilar:
        return 4;
    case Likeness::Similar:
        return 10;
    case Likeness::Maybe:
        return 14;
    }
    return 10;
}

fs::path defaultPictureCache() { return Paths::cacheHome() / "Quillmoor" / "pictures"; }

SimilarResult findSimilar(const fs::path& folder, const SimilarOptions& options, const CancelFlag& flag,
                          const ProgressFn& progress)
{
    SimilarResult result;
    const auto walked = [&](int count) {
        if (progress)
            progress({Phase::Walking, count, 0, 0});
    };
    FileList files = walkFiles(folder, options.walk, flag, walked, &result.ignored);
    result.files = std::int64_t(files.size());
    if (stopped(flag)) {
        result.cancelled = true;
        return result;
    }
    std::vector<Met> met = filesOnce(files);
    files = FileList();

    // What an earlier search read of the files that have not changed since.
    std::size_t cached = 0;
    if (!options.cache.empty()) {
        std::unordered_map<FileKey, CachedPicture, FileKeyHash> known;
        for (CachedPicture& picture : loadPictureCache(options.cache))
            known.emplace(FileKey{picture.device, picture.inode}, std::move(picture));
        cached = known.size();
        for (Met& one : met) {
            const auto at = known.find(FileKey{std::uint64_t(one.copy.file.device), std::uint64_t(one.copy.file.inode)});
            if (at != known.end() && at->second.size == one.copy.file.size && at->second.mtimeNs == one.copy.file.mtimeNs) {
                one.info = at->second.info;
                one.known = true;
            }
        }
    }
    // Decoding is processor work: one reader a processor.
    const int readers = options.readers > 0 ? options.readers : std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    const std::size_t toRead = std::size_t(std::count_if(met.begin(), met.end(), [](const Met& one) { return !one.known; }));
    if (!readAll(met, readers, flag, progress)) {
        result.cancelled = true;
        return result;
    }
    // The cache keeps the files met this time, and only those.
    if (!options.cache.empty() && (toRead > 0 || cached != met.size())) {
        std::vector<CachedPicture> keep;
        keep.reserve(met.size());
        for (const Met& one : met)
            keep.push_back({std::uint64_t(one.copy.file.device), std::uint64_t(one.copy.file.inode), one.copy.file.size,
                            one.copy.file.mtimeNs, one.info});
        savePictureCache(options.cache, keep);
    }

    // Centres are taken the largest picture first, so a photo gathers its smaller copies.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < met.size(); ++i) {
        const PictureInfo& info = met[i].info;
        result.pictures += info.state == PictureState::Read ? 1 : 0;
        result.tooLarge += info.state == PictureState::TooLarge ? 1 : 0;
        result.unreadable += info.state == PictureState::Unreadable ? 1 : 0;
        if (info.state == PictureState::Read && !info.plain)
            order.push_back(i);
    }
    const auto pixelsOf = [&](std::size_t i) { return -std::int64_t(met[i].info.width) * met[i].info.height; };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Candidate &fa = met[a].copy.file, &fb = met[b].copy.file;
        return std::make_tuple(pixelsOf(a), -fa.size, fa.mtimeNs, std::cref(fa.path))
               < std::make_tuple(pixelsOf(b), -fb.size, fb.mtimeNs, std::cref(fb.path));
    });
    std::vector<PictureKey> keys;
    keys.reserve(order.size());
    for (const std::size_t i : order)
        keys.push_back(met[i].info.key);
    for (const AlikeGroup& alike : groupAlike(keys, maxDistance(options.level))) {
        Group group;
        group.similar = true;
        for (std::size_t k = 0; k < alike.members.size(); ++k) {
            Met& one = met[order[alike.members[k]]];
            ShownCopy shown;
            shown.copy = std::move(one.copy);
            shown.picture = {one.info.width, one.info.height, QString::fromLatin1(kindName(one.info.kind)),
                             alike.distances[k]};
            group.copies.push_back(std::move(shown));
        }
        result.groups.push_back(std::move(group));
    }
    describeCopies(result.groups);
    choose(result.groups, KeepRule::MostPixels);
    return result;
}

} // namespace Dupes
