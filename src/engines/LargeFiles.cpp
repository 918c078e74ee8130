// The large-file scan: one walk of the home folder that keeps only the
// largest files seen so far, so a home of millions of entries costs no more
// memory than the results it returns.
#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include <QTimeZone>

#include "engines/Sweeper.h"
#include "platform/Walker.h"

namespace fs = std::filesystem;

namespace {

// A path as the walker spells it: lexically normal, no trailing slash, and
// the root "/" as "" (the walker's folder text for the root).
std::string walkerText(const fs::path& path)
{
    std::string text = path.lexically_normal().native();
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return text;
}

// One place the walk neither enters nor counts, as (holding folder, name).
struct SkipPlace {
    std::string folder;
    std::string name;
};

// The folder with every link on its way resolved (as the walker meets it),
// or as it is written when it cannot be resolved.
fs::path resolvedFolder(const fs::path& folder)
{
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    return error ? folder : real;
}

// The user's Library and the Trash folders (ours and the legacy "~/.Trash")
// below the normalised home.
std::vector<SkipPlace> skipPlaces(const fs::path& home)
{
    const fs::path trash = resolvedFolder(FS::trashFolder().lexically_normal().parent_path()) / "files";
    std::vector<SkipPlace> places;
    for (const fs::path& place : {home / "Library", home / ".Trash", trash, trash.parent_path()}) {
        const fs::path normal = place.lexically_normal();
        places.push_back({walkerText(normal.parent_path()), normal.filename().native()});
    }
    return places;
}

bool isSkipped(const Walker::Entry& entry, const std::vector<SkipPlace>& places)
{
    for (const SkipPlace& place : places)
        if (entry.name == place.name && entry.folder == place.folder)
            return true;
    return false;
}

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

// A file that reached the threshold, with its place in the walk.
struct Found {
    std::int64_t size = 0;
    std::uint64_t order = 0;
    fs::path path;
    std::optional<QDateTime> accessed;
};

// Ahead in the result: larger, or as large and met earlier in the walk.
bool isAhead(const Found& a, const Found& b)
{
    return a.size > b.size || (a.size == b.size && a.order < b.order);
}

// The `limit` best files seen so far. A heap whose top is the one that would
// drop out first, so each new file costs one comparison and at most a log-time
// swap. Gives the same list as keeping everything, sorting stably largest
// first and cutting after `limit`.
class LargestKept {
public:
    explicit LargestKept(std::size_t limit) : limit_(limit) {}

    // Whether a file of this size would be kept now (decides before the path is built).
    bool wouldKeep(std::int64_t size) const
    {
        // A newcomer comes later in the walk than everything kept, so an equal
        // size does not get it in.
        return kept_.size() < limit_ || (limit_ > 0 && size > kept_.front().size);
    }

    void add(Found found)
    {
        if (!wouldKeep(found.size))
            return;
        if (kept_.size() == limit_) {
            std::pop_heap(kept_.begin(), kept_.end(), isAhead);
            kept_.pop_back();
        }
        kept_.push_back(std::move(found));
        std::push_heap(kept_.begin(), kept_.end(), isAhead);
    }

    // The kept files, largest first, equal sizes in walk order.
    std::vector<Found> take()
    {
        std::sort(kept_.begin(), kept_.end(), isAhead);
        return std::move(kept_);
    }

private:
    std::size_t limit_;
    std::vector<Found> kept_;  // a heap under isAhead: front() is the last in order
};

} // namespace

namespace Sweeper {

std::vector<LargeFile> scanLarge(std::int64_t minBytes, const CancelFlag& flag,
                                 const std::function<void(int)>& progress, const fs::path& home)
{
    // A home folder reached through a link is resolved once here; links
    // below it are still never followed. Results keep the home's own spelling.
    const fs::path written = walkerText(home).empty() ? fs::path("/") : fs::path(walkerText(home));
    const fs::path root = resolvedFolder(written);
    const std::string rootText = walkerText(root);
    const std::vector<SkipPlace> skipped = skipPlaces(root);
    const auto asWritten = [&](fs::path path) {
        const std::string& text = path.native();
        if (root == written || text.compare(0, rootText.size() + 1, rootText + "/") != 0)
            return path;
        return fs::path(walkerText(written) + text.substr(rootText.size()));
    };
    LargestKept kept(kMaxLargeFiles);
    std::uint64_t order = 0;
    int examined = 0;

    const auto consider = [&](const Walker::Entry& entry, std::int64_t size) {
        if (size >= minBytes && kept.wouldKeep(size))
            kept.add(Found{size, order, asWritten(entry.path()), accessDate(entry.info)});
        ++order;
    };

    Walker::walk(root, [&](const Walker::Entry& entry) {
        if (entry.isHidden() || isSkipped(entry, skipped))
            return Walker::Step::Skip;

        ++examined;
        if (examined % kLargeProgressStep == 0) {
            if (progress)
                progress(examined);
            if (flag.cancelled.load())
                return Walker::Step::Stop;
        }

        if (entry.isDir()) {
            if (!FS::hasPackageExtension(fs::path(entry.name)))
                return Walker::Step::Enter;
            // A package is one item; applications are never offered here.
            if (lowerExtension(entry.name) != "app")
                consider(entry, FS::size(entry.path()));
            return Walker::Step::Skip;
        }
        if (entry.isFile())
            consider(entry, std::int64_t(entry.info.st_size));
        // Links, devices, sockets and the like list nothing.
        return Walker::Step::Skip;
    });

    std::vector<LargeFile> files;
    for (Found& found : kept.take()) {
        LargeFile file;
        file.url = std::move(found.path);
        file.size = found.size;
        file.accessed = std::move(found.accessed);
        files.push_back(std::move(file));
    }
    return files;
}

const std::array<LargeThreshold, 4>& largeThresholds()
{
    static constexpr std::array<LargeThreshold, 4> options{{
        {"100 MB", 100'000'000}, {"500 MB", 500'000'000}, {"1 GB", 1'000'000'000}, {"5 GB", 5'000'000'000}}};
    return options;
}

QString largeThresholdLabel(std::int64_t bytes)
{
    for (const LargeThreshold& option : largeThresholds())
        if (option.bytes == bytes)
            return QString::fromLatin1(option.label);
    return {};
}

} // namespace Sweeper
