// The large-file scan: one walk of the home folder, shared by the pool of
// walking threads, in which each thread keeps only the largest files it has
// seen, so a home of millions of entries costs no more memory than the
// results it returns.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>

#include <QTimeZone>

#include "engines/large/LargeFiles.h"
#include "engines/common/WalkPlaces.h"
#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "platform/FolderFd.h"
#include "platform/ParallelWalk.h"
#include "platform/Walker.h"

namespace fs = std::filesystem;
using namespace WalkPlaces;

namespace {

// The extension of a name in lower case without the dot ("" when it has none).
std::string lowerExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return {};
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

// The last access of an entry; absent when the file system keeps none (it
// then reports the very start of the epoch).
std::optional<QDateTime> accessDate(const struct stat& info)
{
    if (info.st_atim.tv_sec == 0 && info.st_atim.tv_nsec == 0)
        return std::nullopt;
    const qint64 msecs = qint64(info.st_atim.tv_sec) * 1000 + info.st_atim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
}

// A file that reached the threshold.
struct Found {
    std::int64_t size = 0;
    fs::path path;
    std::optional<QDateTime> accessed;
};

// Ahead in the result: larger, or as large and first by path (byte order),
// so the order does not depend on which thread met which file first.
bool isAhead(const Found& a, const Found& b)
{
    return a.size > b.size || (a.size == b.size && a.path.native() < b.path.native());
}

// The `limit` best files seen so far. A heap whose top is the one that would
// drop out first, so each new file costs one comparison and at most a log-time
// swap. Gives the same list as keeping everything, sorting largest first (ties
// by path) and cutting after `limit`; so do several of them merged by `take`.
class LargestKept {
public:
    explicit LargestKept(std::size_t limit) : limit_(limit) {}

    // Whether a file of this size may be kept now (decides before the path is built).
    bool mayKeep(std::int64_t size) const
    {
        return kept_.size() < limit_ || (limit_ > 0 && size >= kept_.front().size);
    }

    void add(Found found)
    {
        if (kept_.size() == limit_) {
            if (limit_ == 0 || !isAhead(found, kept_.front()))
                return;
            std::pop_heap(kept_.begin(), kept_.end(), isAhead);
            kept_.pop_back();
        }
        kept_.push_back(std::move(found));
        std::push_heap(kept_.begin(), kept_.end(), isAhead);
    }

    // The best `limit` of all the kept files of `parts`, largest first.
    static std::vector<Found> take(std::vector<LargestKept>& parts, std::size_t limit)
    {
        std::vector<Found> all;
        for (LargestKept& part : parts)
            std::move(part.kept_.begin(), part.kept_.end(), std::back_inserter(all));
        std::sort(all.begin(), all.end(), isAhead);
        if (all.size() > limit)
            all.resize(limit);
        return all;
    }

private:
    std::size_t limit_;
    std::vector<Found> kept_;  // a heap under isAhead: front() is the last in order
};

// The examined-entries count the walking threads share, with the progress
// reports and cancel checks due every kLargeProgressStep entries. Each thread
// counts on its own and adds its count to the shared one every kBatch entries,
// so the threads do not contend for one counter at every entry.
class Examined {
public:
    static constexpr int kBatch = 200;  // divides kLargeProgressStep
    static_assert(Sweeper::kLargeProgressStep % kBatch == 0);

    Examined(const CancelFlag& flag, const std::function<void(int)>& progress, int workers)
        : flag_(flag), progress_(progress), own_(std::size_t(workers)) {}

    // Counts one entry met by `worker`; false when the scan is to stop.
    bool count(int worker)
    {
        int& own = own_[std::size_t(worker)].count;
        if (++own < kBatch)
            return true;
        own = 0;
        const int before = count_.fetch_add(kBatch, std::memory_order_relaxed);
        const int examined = before + kBatch;
        if (examined / Sweeper::kLargeProgressStep == before / Sweeper::kLargeProgressStep)
            return true;
        reportUpTo(examined);
        return !flag_.cancelled.load();
    }

    // Once the walk has ended: what each thread counted since its last batch
    // joins the total, so a whole walk reports every step it passed.
    void finish()
    {
        int rest = 0;
        for (Own& own : own_)
            rest += std::exchange(own.count, 0);
        const int examined = count_.fetch_add(rest, std::memory_order_relaxed) + rest;
        if (!flag_.cancelled.load())
            reportUpTo(examined);
    }

private:
    // One report at a time, every step in turn: a thread that got here late
    // finds its step already reported by the one that passed it.
    void reportUpTo(int examined)
    {
        if (!progress_)
            return;
        std::lock_guard lock(mutex_);
        while (reported_ + Sweeper::kLargeProgressStep <= examined) {
            reported_ += Sweeper::kLargeProgressStep;
            progress_(reported_);
        }
    }

    struct alignas(64) Own {  // a cache line each
        int count = 0;
    };
    const CancelFlag& flag_;
    const std::function<void(int)>& progress_;
    std::vector<Own> own_;  // by worker
    std::atomic<int> count_{0};
    std::mutex mutex_;
    int reported_ = 0;
};

} // namespace

namespace Sweeper {

LargeFound scanLarge(std::int64_t minBytes, const CancelFlag& flag, const NeverTouchList& never,
                     const std::function<void(int)>& progress, const fs::path& home, int workers,
                     const LargeWalkRules& rules)
{
    // A home folder reached through a link is resolved once here; links
    // below it are still never followed. Results keep the home's own spelling.
    const fs::path written = walkerText(home).empty() ? fs::path("/") : fs::path(walkerText(home));
    const fs::path root = resolvedFolder(written);
    const std::string rootText = walkerText(root);
    const std::vector<SkipPlace> skipped = skipPlaces(root, rules.skip);
    if (startsInStorage(written, root))
        return {};
    const auto asWritten = [&](fs::path path) {
        const std::string& text = path.native();
        if (root == written || text.compare(0, rootText.size() + 1, rootText + "/") != 0)
            return path;
        return fs::path(walkerText(written) + text.substr(rootText.size()));
    };
    if (workers < 1)
        workers = FS::sizeWorkers(std::thread::hardware_concurrency());
    std::vector<LargestKept> kept(static_cast<std::size_t>(workers), LargestKept(kMaxLargeFiles));
    Examined examined(flag, progress, workers);
    std::atomic<int> ignored{0};
    // Whether the list covers the entry, by the home's own spelling or as the walk reached it.
    const auto ignoredPlace = [&](const Walker::Entry& entry) {
        if (never.empty())
            return false;
        const fs::path path = entry.path();
        return never.covers(asWritten(path)) || never.covers(path);
    };

    const auto consider = [&](const Walker::Entry& entry, int worker, std::int64_t size) {
        LargestKept& mine = kept[std::size_t(worker)];
        if (size >= minBytes && mine.mayKeep(size))
            mine.add(Found{size, asWritten(entry.path()), accessDate(entry.info)});
    };

    const ParallelWalk::Visit visit = [&](const Walker::Entry& entry, const ParallelWalk::Place& place) {
        if (entry.isHidden() || isSkipped(entry, skipped))
            return Walker::Step::Skip;
        if (!examined.count(place.worker))
            return Walker::Step::Stop;
        if ((entry.isDir() || (entry.isFile() && std::int64_t(entry.info.st_size) >= minBytes)) && ignoredPlace(entry)) {
            ++ignored;
            return Walker::Step::Skip;
        }

        if (entry.isDir()) {
            if (entry.mountRoot)
                return Walker::Step::Skip;  // another mount: neither entered nor sized
            const std::string extension = lowerExtension(entry.name);
            if (extension.empty() || std::find(rules.packageExtensions.begin(), rules.packageExtensions.end(), extension)
                                         == rules.packageExtensions.end())
                return Walker::Step::Enter;
            // A package is one item; applications are never offered here. It
            // is sized on this thread alone: the others are busy with the home.
            if (extension != rules.applicationExtension) {
                const std::int64_t size = FS::size(entry.path(), 1, &flag.cancelled);
                if (!flag.cancelled.load())  // a package cut short has no true size
                    consider(entry, place.worker, size);
            }
            return Walker::Step::Skip;
        }
        if (entry.isFile())
            consider(entry, place.worker, std::int64_t(entry.info.st_size));
        // Links, devices, sockets and the like list nothing.
        return Walker::Step::Skip;
    };
    const ParallelWalk::OpenRoot openHome = [&](std::size_t, const ParallelWalk::Place&) {
        return open(root.c_str(), FolderFd::kOpenFlags);
    };
    ParallelWalk::run({root}, openHome, visit, {}, {workers, &flag.cancelled, 0});
    examined.finish();

    LargeFound result;
    result.ignored = ignored.load();
    for (Found& found : LargestKept::take(kept, kMaxLargeFiles)) {
        LargeFile file;
        file.url = std::move(found.path);
        file.size = found.size;
        file.accessed = std::move(found.accessed);
        result.files.push_back(std::move(file));
    }
    return result;
}

const std::array<LargeThreshold, 4>& largeThresholds()
{
    static constexpr std::array<LargeThreshold, 4> options{{
        {"100 MB", 100, "MB", 100'000'000},
        {"500 MB", 500, "MB", 500'000'000},
        {"1 GB", 1, "GB", 1'000'000'000},
        {"5 GB", 5, "GB", 5'000'000'000}}};
    return options;
}

QString largeThresholdLabel(std::int64_t bytes)
{
    for (const LargeThreshold& option : largeThresholds())
        if (option.bytes == bytes)
            return withUnit(localNumber(option.amount), L(QLatin1String(option.unit)));
    return Fmt::bytes(bytes);
}

QString largeCountSentence(std::int64_t count, const QString& threshold)
{
    if (count == 0)
        return LF("Nenhum arquivo acima de %@", threshold);
    return LP(count, "%ld arquivos acima de %@", count, threshold);
}

} // namespace Sweeper
