#include "engines/dupes/DuplicateWalk.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include <fcntl.h>

#include "engines/common/WalkPlaces.h"
#include "platform/FS.h"
#include "platform/FolderFd.h"
#include "platform/ParallelWalk.h"

namespace fs = std::filesystem;
using namespace WalkPlaces;

namespace Dupes {

std::vector<Candidate> walkFiles(const fs::path& folder, const WalkOptions& options, const CancelFlag& flag,
                                 const std::function<void(int)>& progress)
{
    // A folder reached through a link is resolved once here; links below it
    // are still never followed. Results keep the folder's own spelling.
    const fs::path written = walkerText(folder).empty() ? fs::path("/") : fs::path(walkerText(folder));
    const fs::path root = resolvedFolder(written);
    const std::string rootText = walkerText(root);
    const std::string writtenText = walkerText(written);
    const std::vector<SkipPlace> skipped = skipPlaces(root);
    const std::int64_t minBytes = std::max<std::int64_t>(options.minBytes, 1);
    const int workers = options.workers > 0 ? options.workers : FS::sizeWorkers(std::thread::hardware_concurrency());

    std::vector<std::vector<Candidate>> found(static_cast<std::size_t>(workers));
    std::atomic<int> files{0};
    std::mutex reporting;
    const ParallelWalk::Visit visit = [&](const Walker::Entry& entry, const ParallelWalk::Place& place) {
        if ((!options.hidden && entry.isHidden()) || isSkipped(entry, skipped))
            return Walker::Step::Skip;
        if (entry.isDir())
            return entry.mountRoot ? Walker::Step::Skip : Walker::Step::Enter;
        if (!entry.isFile() || std::int64_t(entry.info.st_size) < minBytes)
            return Walker::Step::Skip;  // links, devices, FIFOs, sockets, small files
        std::string path;  // built by hand: a filesystem::path would split it into parts
        path.reserve(entry.folder.size() + 1 + entry.name.size());
        path.append(entry.folder).append(1, '/').append(entry.name);
        if (rootText != writtenText && path.compare(0, rootText.size() + 1, rootText + "/") == 0)
            path = writtenText + path.substr(rootText.size());
        found[std::size_t(place.worker)].push_back(
            {std::move(path), entry.info.st_dev, entry.info.st_ino, std::int64_t(entry.info.st_size),
             std::int64_t(entry.info.st_mtim.tv_sec) * 1'000'000'000 + entry.info.st_mtim.tv_nsec,
             std::int64_t(entry.info.st_nlink)});
        const int count = files.fetch_add(1) + 1;
        if (count % kWalkProgressStep == 0) {
            if (progress) {
                const std::lock_guard hold(reporting);
                progress(count);
            }
            if (flag.cancelled.load())
                return Walker::Step::Stop;
        }
        return Walker::Step::Skip;
    };
    const ParallelWalk::OpenRoot openRoot = [&](std::size_t, const ParallelWalk::Place&) {
        return open(root.c_str(), FolderFd::kOpenFlags);
    };
    ParallelWalk::run({root}, openRoot, visit, {}, {workers, &flag.cancelled, 0});
    if (flag.cancelled.load())
        return {};

    std::size_t total = 0;
    for (const std::vector<Candidate>& part : found)
        total += part.size();
    std::vector<Candidate> all;
    all.reserve(total);
    for (std::vector<Candidate>& part : found) {
        std::move(part.begin(), part.end(), std::back_inserter(all));
        std::vector<Candidate>().swap(part);  // given back at once
    }
    return all;
}

} // namespace Dupes
