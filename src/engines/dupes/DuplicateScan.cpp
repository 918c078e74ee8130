#include "engines/dupes/DuplicateScan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>
#include <unordered_map>

#include <sys/stat.h>

#include "engines/dupes/DuplicateSpace.h"
#include "platform/Processes.h"
#include "platform/Quitting.h"

namespace fs = std::filesystem;

namespace Dupes {

namespace {

// Progress is passed on at most this often.
constexpr auto kProgressEvery = std::chrono::milliseconds(100);

// Reports from several reading threads, one at a time and not too often.
class Reporter {
public:
    Reporter(const ProgressFn& progress, Phase phase, std::int64_t total, std::atomic<std::int64_t>& bytesRead)
        : progress_(progress), phase_(phase), total_(total), bytesRead_(bytesRead)
    {
    }
    void fileDone(std::int64_t bytes, bool last = false)
    {
        const std::int64_t files = files_.fetch_add(1) + 1;
        bytesRead_ += bytes;
        if (!progress_)
            return;
        const auto now = std::chrono::steady_clock::now();
        const std::lock_guard hold(reporting_);
        if (!last && now - lastReport_ < kProgressEvery)
            return;
        lastReport_ = now;
        progress_({phase_, files, total_, bytesRead_.load()});
    }
    void start()
    {
        if (progress_)
            progress_({phase_, 0, total_, bytesRead_.load()});
    }

private:
    const ProgressFn& progress_;
    Phase phase_;
    std::int64_t total_;
    std::atomic<std::int64_t>& bytesRead_;
    std::atomic<std::int64_t> files_{0};
    std::mutex reporting_;
    std::chrono::steady_clock::time_point lastReport_{};
};

bool stopped(const CancelFlag& flag) { return flag.cancelled.load() || Quitting::requested(); }

std::optional<Digest> edgeRead(const std::string& path, std::int64_t size, const std::atomic<bool>*)
{
    return edgeDigest(path, size);
}

// A digest of a file of `size` bytes, which may give up once `stop` is on.
using ReadFn = std::optional<Digest> (*)(const std::string&, std::int64_t, const std::atomic<bool>* stop);

// Splits `sets` by the digest `read` gives each copy, the copies read by
// `readers` threads in the order of their places on the disk (device, inode),
// which keeps a cold disk reading forward. Nothing when stopped.
std::optional<CopySets> splitInParallel(const FileList& files, const CopySets& sets, ReadFn read,
                                        std::int64_t (*bytesOf)(std::int64_t), int readers, const CancelFlag& flag,
                                        Reporter& reporter, int& unreadable)
{
    const auto fileAt = [&](std::uint32_t at) -> const FileList::File& { return files[sets.copies[at]]; };
    std::vector<std::uint32_t> order(sets.copies.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = std::uint32_t(i);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return std::tie(fileAt(a).device, fileAt(a).inode) < std::tie(fileAt(b).device, fileAt(b).inode);
    });
    std::vector<std::optional<Digest>> digests(order.size());
    std::atomic<std::size_t> next{0};
    const auto readSome = [&] {
        for (std::size_t k = next.fetch_add(1); k < order.size() && !stopped(flag); k = next.fetch_add(1)) {
            const FileList::File& file = fileAt(order[k]);
            digests[order[k]] = read(files.pathOf(file), file.size, &flag.cancelled);
            reporter.fileDone(bytesOf(file.size), k + 1 == order.size());
        }
    };
    reporter.start();
    {
        std::vector<std::jthread> threads;
        const int count = std::clamp(readers, 1, int(std::max<std::size_t>(order.size(), 1)));
        for (int t = 1; t < count; ++t)
            threads.emplace_back(readSome);
        readSome();
    }
    if (stopped(flag))
        return std::nullopt;
    return splitBy(sets, digests, unreadable);
}

std::int64_t edgeBytes(std::int64_t size) { return std::min(size, 2 * kEdgeBytes); }
std::int64_t wholeBytes(std::int64_t size) { return size; }

} // namespace

Found findDuplicates(FileList files, int readers, const CancelFlag& flag, const ProgressFn& progress)
{
    int unreadable = 0;
    std::atomic<std::int64_t> bytesRead{0};
    const CopySets sets = sameSize(files);
    Reporter edges(progress, Phase::Edges, std::int64_t(sets.copies.size()), bytesRead);
    const std::optional<CopySets> split = splitInParallel(files, sets, edgeRead, edgeBytes, readers, flag, edges, unreadable);
    if (!split)
        return {};
    // Files no longer than both edges were read whole already.
    CopySets done, whole;
    for (std::size_t s = 0; s < split->count(); ++s) {
        const auto first = split->copies.begin() + split->bounds[s], end = split->copies.begin() + split->bounds[s + 1];
        CopySets& into = files[*first].size > 2 * kEdgeBytes ? whole : done;
        into.copies.insert(into.copies.end(), first, end);
        into.bounds.push_back(std::uint32_t(into.copies.size()));
    }
    Reporter contents(progress, Phase::Contents, std::int64_t(whole.copies.size()), bytesRead);
    const std::optional<CopySets> same = splitInParallel(files, whole, fullDigest, wholeBytes, readers, flag, contents, unreadable);
    if (!same)
        return {};
    Found found{setsOf(files, done), unreadable};
    std::vector<Set> rest = setsOf(files, *same);
    std::move(rest.begin(), rest.end(), std::back_inserter(found.sets));
    return found;
}

void markShared(Group& group)
{
    if (group.copies.empty() || !group.copies.front().sharingFs)
        return;  // a file system whose files never share data
    std::vector<std::optional<std::vector<Extent>>> extents;
    for (const ShownCopy& shown : group.copies)
        extents.push_back(extentsOf(shown.copy.file.path));
    for (std::size_t i = 0; i < extents.size(); ++i)
        for (std::size_t j = 0; j < extents.size() && !group.copies[i].shares; ++j)
            group.copies[i].shares = i != j && extents[i] && extents[j] && sameExtents(*extents[i], *extents[j]);
}

std::int64_t freedBy(const Group& group, const ShownCopy& copy)
{
    if (copy.shares || copy.partial)
        return 0;
    return group.similar ? copy.copy.file.size : group.size;
}

std::int64_t reclaimable(const Group& group)
{
    std::int64_t sum = 0;
    for (const ShownCopy& copy : group.copies)
        sum += copy.kept ? 0 : freedBy(group, copy);
    return sum;
}

std::int64_t selectedBytes(const Group& group)
{
    std::int64_t sum = 0;
    for (const ShownCopy& copy : group.copies)
        sum += copy.selected ? freedBy(group, copy) : 0;
    return sum;
}

bool startsTicked(const Group& group, const ShownCopy& copy)
{
    return !group.similar && !copy.shares && !copy.inProject && !copy.partial && copy.holder.empty();
}

void orderCopies(Group& group)
{
    std::stable_sort(group.copies.begin(), group.copies.end(), [](const ShownCopy& a, const ShownCopy& b) {
        return std::tie(b.kept, a.copy.file.path) < std::tie(a.kept, b.copy.file.path);
    });
}

void choose(std::vector<Group>& groups, KeepRule rule, const fs::path& preferred)
{
    for (Group& group : groups) {
        Set set;
        std::vector<std::int64_t> pixels;
        for (const ShownCopy& shown : group.copies) {
            set.push_back(shown.copy);
            pixels.push_back(std::int64_t(shown.picture.width) * shown.picture.height);
        }
        const std::size_t kept = keptCopy(set, rule, preferred, pixels);
        for (std::size_t i = 0; i < group.copies.size(); ++i) {
            ShownCopy& shown = group.copies[i];
            shown.kept = i == kept;
            shown.selected = !shown.kept && startsTicked(group, shown);
        }
        orderCopies(group);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        const std::int64_t ra = reclaimable(a), rb = reclaimable(b);
        return ra != rb ? ra > rb : a.copies.front().copy.file.path < b.copies.front().copy.file.path;
    });
}

void describeCopies(std::vector<Group>& groups)
{
    const std::vector<Processes::Holder> holders =
        groups.empty() ? std::vector<Processes::Holder>{} : Processes::heldPlaces();
    GitFolders holdsGit;
    for (Group& group : groups)
        for (ShownCopy& shown : group.copies) {
            const Copy& copy = shown.copy;
            shown.inProject = inProject(copy.file.path, std::ref(holdsGit));
            shown.partial = copy.file.links > std::int64_t(1 + copy.otherNames.size());
            shown.sharingFs = mayShareData(copy.file.path);
            if (const Processes::Holder* holder = Processes::holderInside(holders, copy.file.path))
                shown.holder = holder->process;
            for (const std::string& name : copy.otherNames)
                if (shown.holder.empty())
                    if (const Processes::Holder* holder = Processes::holderInside(holders, name))
                        shown.holder = holder->process;
        }
}

ScanResult scan(const fs::path& folder, const ScanOptions& options, const CancelFlag& flag, const ProgressFn& progress)
{
    ScanResult result;
    const auto walked = [&](int count) {
        if (progress)
            progress({Phase::Walking, count, 0, 0});
    };
    FileList files = walkFiles(folder, options.walk, flag, walked, &result.ignored);
    result.files = std::int64_t(files.size());
    // Hashing a warm cache is processor work: more readers than processors only take turns.
    const int readers = options.readers > 0 ? options.readers : std::clamp(int(std::thread::hardware_concurrency()), 2, 8);
    Found found = stopped(flag) ? Found{} : findDuplicates(std::move(files), readers, flag, progress);
    if (stopped(flag)) {
        result.cancelled = true;
        return result;
    }
    result.unreadable = found.unreadable;

    for (Set& set : found.sets) {
        Group group;
        group.size = set.front().file.size;
        for (Copy& copy : set) {
            ShownCopy shown;
            shown.copy = std::move(copy);
            group.copies.push_back(std::move(shown));
        }
        result.groups.push_back(std::move(group));
    }
    describeCopies(result.groups);
    for (Group& group : result.groups)
        markShared(group);
    choose(result.groups, KeepRule::Oldest);
    return result;
}

} // namespace Dupes
