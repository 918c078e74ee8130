#include "platform/ParallelWalk.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/FolderFd.h"
#include "platform/Quitting.h"

namespace {

// Helper threads of every run not yet taken (see kMaxHelpers).
std::atomic<int> freeHelpers{ParallelWalk::kMaxHelpers};

// Takes up to `wanted` helpers from the budget; how many were taken.
int takeHelpers(int wanted)
{
    int free = freeHelpers.load();
    int taken = 0;
    do {
        taken = std::clamp(wanted, 0, free);
    } while (taken > 0 && !freeHelpers.compare_exchange_weak(free, free - taken));
    return taken;
}

class Pool {
public:
    Pool(const std::vector<std::filesystem::path>& roots, const ParallelWalk::OpenRoot& openRoot, const ParallelWalk::Visit& visit,
         const ParallelWalk::RootDone& rootDone, const ParallelWalk::Options& options)
        : openRoot_(openRoot), visit_(visit), rootDone_(rootDone), workers_(std::max(1, options.workers)),
          entriesBeforeHelpers_(options.entriesBeforeHelpers),
          maxOpenPerWalk_(std::max(1, Walker::kMaxOpenFolders / workers_)), cancel_(options.cancel),
          pending_(roots.size(), 1)
    {
        for (std::size_t i = 0; i < roots.size(); ++i)
            queue_.push_back(Folder{-1, roots[i].native(), i});
        queued_ = int(queue_.size());
    }

    void run()
    {
        if (entriesBeforeHelpers_ <= 0)
            startHelpers();
        work(0);
        for (std::thread& helper : helpers_)
            helper.join();
        freeHelpers += int(helpers_.size());
    }

private:
    struct Folder {
        int fd;            // -1 for a root that is not open yet
        std::string path;
        std::size_t root;  // the root whose tree holds it
    };

    bool cancelled() const { return (cancel_ && cancel_->load(std::memory_order_relaxed)) || Quitting::requested(); }

    // Only the calling thread (worker 0) starts helpers, once.
    void startHelpers()
    {
        if (helpersStarted_)
            return;
        helpersStarted_ = true;
        const int granted = takeHelpers(workers_ - 1);
        for (int i = 1; i <= granted; ++i) {
            try {
                helpers_.emplace_back([this, i] { work(i); });
            } catch (const std::system_error&) {
                break;  // fewer threads still walk everything
            }
        }
        freeHelpers += granted - int(helpers_.size());  // those that could not start
        helpersRunning_ = int(helpers_.size());
    }

    // Takes folders from the queue until it is empty and nobody is walking.
    void work(int worker)
    {
        int entries = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!queue_.empty()) {
                Folder folder = std::move(queue_.front());
                queue_.pop_front();
                queued_.store(int(queue_.size()), std::memory_order_relaxed);
                ++busy_;
                lock.unlock();
                walkFolder(folder, worker, entries);
                lock.lock();
                --busy_;
                finish(folder.root, lock);
            } else if (busy_ == 0) {
                break;  // nothing queued and nobody left to queue more
            } else {
                ++waiting_;
                wake_.wait(lock);
                --waiting_;
            }
        }
        wake_.notify_all();
    }

    void walkFolder(Folder& folder, int worker, int& entries)
    {
        const ParallelWalk::Place place{folder.root, worker};
        if (cancelled()) {
            if (folder.fd >= 0)
                close(folder.fd);  // cancelled before its turn
            return;
        }
        if (folder.fd < 0) {
            folder.fd = openRoot_(folder.root, place);
            if (folder.fd < 0)
                return;
        }
        // By depth: whether this walk has already gone into a subfolder of the
        // folder it reads at that depth. The first subfolder of each folder is
        // always entered by the walk itself, and only later ones are handed
        // over: a chain of single folders then stays on one thread instead of
        // passing from thread to thread at every level.
        std::vector<char> wentInto(2, 0);
        const Walker::Visitor visit = [&](const Walker::Entry& entry) {
            if (worker == 0 && !helpersStarted_ && ++entries >= entriesBeforeHelpers_)
                startHelpers();
            const Walker::Step step = visit_(entry, place);
            if (step != Walker::Step::Enter || !entry.isDir() || entry.mountRoot)
                return step;  // a mount point: the walker stays out, and so does every thread
            const std::size_t depth = std::size_t(entry.depth);
            if (wentInto.size() < depth + 2)
                wentInto.resize(depth + 2, 0);
            if (wentInto[depth] && handOver(entry, folder.root))
                return Walker::Step::Skip;
            wentInto[depth] = 1;
            wentInto[depth + 1] = 0;  // the folder about to be read is a new one
            return step;
        };
        Walker::walkOpen(folder.fd, std::move(folder.path), visit, cancel_, maxOpenPerWalk_);
    }

    // Counts a walk of `root` as ended (under the lock) and reports the root
    // once its last walk has ended (with the lock released meanwhile).
    void finish(std::size_t root, std::unique_lock<std::mutex>& lock)
    {
        if (--pending_[root] > 0 || !rootDone_ || cancelled())
            return;
        lock.unlock();
        rootDone_(root);
        lock.lock();
    }

    // Queues the folder for another worker while the queue is short (a folder
    // for each waiting worker and one more per helper, so a worker that ends
    // its walk rarely has to wait); false otherwise, and the walk that found
    // it goes in itself.
    bool handOver(const Walker::Entry& entry, std::size_t root)
    {
        const int backlog = helpersRunning_.load(std::memory_order_relaxed);
        if (waiting_.load(std::memory_order_relaxed) == 0 && queued_.load(std::memory_order_relaxed) >= backlog)
            return false;  // the usual case, decided without the lock
        std::lock_guard lock(mutex_);
        if (int(queue_.size()) >= waiting_.load(std::memory_order_relaxed) + backlog)
            return false;
        const std::string name(entry.name);
        const int fd = openat(entry.folderFd, name.c_str(), FolderFd::kOpenFlags);
        if (fd < 0)
            return false;  // the walk tries it and skips it as usual
        ++pending_[root];
        queue_.push_back(Folder{fd, entry.path().native(), root});
        queued_.store(int(queue_.size()), std::memory_order_relaxed);
        wake_.notify_one();
        return true;
    }

    const ParallelWalk::OpenRoot& openRoot_;
    const ParallelWalk::Visit& visit_;
    const ParallelWalk::RootDone& rootDone_;
    const int workers_;
    const int entriesBeforeHelpers_;
    const int maxOpenPerWalk_;
    const std::atomic<bool>* cancel_;
    bool helpersStarted_ = false;       // touched by the calling thread only
    std::vector<std::thread> helpers_;  // touched by the calling thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Folder> queue_;          // folders still to walk
    std::vector<int> pending_;          // by root: its walks queued or running
    int busy_ = 0;                      // workers walking a folder right now
    std::atomic<int> waiting_{0};       // workers waiting for a folder; changed only under the lock
    std::atomic<int> queued_{0};        // the queue's length; changed only under the lock
    std::atomic<int> helpersRunning_{0};  // helper threads started
};

} // namespace

namespace ParallelWalk {

void run(const std::vector<std::filesystem::path>& roots, const OpenRoot& openRoot, const Visit& visit,
         const RootDone& rootDone, const Options& options)
{
    if (!roots.empty())
        Pool(roots, openRoot, visit, rootDone, options).run();
}

} // namespace ParallelWalk
