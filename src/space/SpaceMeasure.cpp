#include "space/SpaceMeasure.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/FS.h"

namespace Space {

namespace {

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

void measure(const std::vector<std::filesystem::path>& children, const HandOver& handOver,
             const std::atomic<bool>* cancel, const Clock& clock, double interval)
{
    const Clock now = clock ? clock : Clock(steadySeconds);
    // The walking threads leave their results here; this thread batches them
    // and hands them over, so a slow hand-over never holds up a walk.
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Measured> results;
    bool walked = false;
    std::atomic<bool> stop{false};

    // The walk stops once the caller cancels (seen by the loop below) or a
    // hand-over declines.
    std::thread walking([&] {
        FS::sizeEach(children, FS::sizeWorkers(std::thread::hardware_concurrency()),
                     [&](std::size_t index, std::int64_t bytes) {
                         std::lock_guard lock(mutex);
                         results.push_back(Measured{index, children[index], bytes});
                         arrived.notify_one();
                     },
                     &stop);
        std::lock_guard lock(mutex);
        walked = true;
        arrived.notify_one();
    });

    double lastFlush = now();
    Batch batch;
    bool wanted = true;
    std::vector<Measured> taken;
    for (;;) {
        {
            std::unique_lock lock(mutex);
            // Wake now and then to notice a cancel while a long walk runs.
            arrived.wait_for(lock, std::chrono::milliseconds(50), [&] { return walked || !results.empty(); });
            taken.swap(results);
            if (taken.empty() && walked)
                break;
        }
        if (cancel && cancel->load())
            wanted = false;
        for (Measured& result : taken) {
            if (!wanted)
                break;
            batch.push_back(std::move(result));
            const double t = now();
            if (t - lastFlush > interval) {
                lastFlush = t;
                wanted = handOver(std::move(batch));
                batch = {};
            }
        }
        taken.clear();
        if (!wanted)
            stop = true;
    }
    walking.join();
    if (wanted && !(cancel && cancel->load()))
        handOver(std::move(batch));
}

} // namespace Space
