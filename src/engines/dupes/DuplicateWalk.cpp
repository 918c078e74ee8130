#include "engines/dupes/DuplicateWalk.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>

#include "engines/common/WalkPlaces.h"
#include "platform/FS.h"
#include "platform/FolderFd.h"
#include "platform/ParallelWalk.h"

namespace fs = std::filesystem;
using namespace WalkPlaces;

namespace Dupes {

FileList walkFiles(const fs::path& folder, const WalkOptions& options, const CancelFlag& flag,
                   const std::function<void(int)>& progress, int* ignored)
{
    // A folder reached through a link is resolved once here; links below it
    // are still never followed. Results keep the folder's own spelling.
    const fs::path written = walkerText(folder).empty() ? fs::path("/") : fs::path(walkerText(folder));
    const fs::path root = resolvedFolder(written);
    const std::string rootText = walkerText(root);
    const std::string writtenText = walkerText(written);
    const std::vector<SkipPlace> skipped = skipPlaces(root);
    if (startsInStorage(written, root)) {
        if (ignored)
            *ignored = 0;
        return {};
    }
    const std::int64_t minBytes = std::max<std::int64_t>(options.minBytes, 1);
    const int workers = options.workers > 0 ? options.workers : FS::sizeWorkers(std::thread::hardware_concurrency());

    // The folder's own spelling for a folder the walk names by its resolved path.
    const auto spelled = [&](const std::string& folder) {
        if (rootText == writtenText || folder.compare(0, rootText.size(), rootText) != 0
            || (folder.size() > rootText.size() && folder[rootText.size()] != '/'))
            return folder;
        return writtenText + folder.substr(rootText.size());
    };

    FileList found;
    std::mutex adding;
    // The folder each worker last added a file of, and its number in the list:
    // a worker lists one folder at a time, so each folder is added about once.
    struct LastFolder {
        std::optional<std::string> path;  // as the walker names it
        std::uint32_t number = 0;
    };
    std::vector<LastFolder> last(static_cast<std::size_t>(workers));
    std::mutex reporting;
    std::atomic<int> hidden{0};
    // Whether the list covers the entry, by the folder's own spelling or as the walk reached it.
    const auto neverTouched = [&](const Walker::Entry& entry) {
        if (options.never.empty())
            return false;
        const fs::path path = entry.path();
        return options.never.covers(path) || options.never.covers(fs::path(spelled(entry.folder)) / entry.name);
    };
    const ParallelWalk::Visit visit = [&](const Walker::Entry& entry, const ParallelWalk::Place& place) {
        if ((!options.hidden && entry.isHidden()) || isSkipped(entry, skipped))
            return Walker::Step::Skip;
        if ((entry.isDir() || (entry.isFile() && std::int64_t(entry.info.st_size) >= minBytes)) && neverTouched(entry)) {
            ++hidden;
            return Walker::Step::Skip;
        }
        if (entry.isDir())
            return entry.mountRoot ? Walker::Step::Skip : Walker::Step::Enter;
        if (!entry.isFile() || std::int64_t(entry.info.st_size) < minBytes)
            return Walker::Step::Skip;  // links, devices, FIFOs, sockets, small files
        LastFolder& folder = last[std::size_t(place.worker)];
        std::size_t count = 0;
        {
            const std::lock_guard hold(adding);
            if (folder.path != entry.folder) {
                folder.path = entry.folder;
                folder.number = found.addFolder(spelled(entry.folder));
            }
            found.add(folder.number, entry.name, entry.info);
            count = found.size();
        }
        if (count % kWalkProgressStep == 0) {
            if (progress) {
                const std::lock_guard hold(reporting);
                progress(int(count));
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
    if (ignored)
        *ignored = hidden.load();
    if (flag.cancelled.load())
        return {};
    return found;
}

} // namespace Dupes
