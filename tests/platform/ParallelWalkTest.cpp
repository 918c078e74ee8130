// The pool of walking threads that every sizing and the large-file walk share.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <fcntl.h>

#include "platform/FolderFd.h"
#include "platform/ParallelWalk.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// Opens each root as the pool expects it.
int openFolder(const fs::path& path)
{
    return open(path.c_str(), FolderFd::kOpenFlags);
}

// `count` roots under ~/fixtures/NAME, each with `files` files spread over `folders` subfolders (0: none).
std::vector<fs::path> makeRoots(const std::string& name, int count, int files, int folders = 0)
{
    std::vector<fs::path> roots;
    for (int r = 0; r < count; ++r) {
        roots.push_back(freshFolder(name) / ("root" + std::to_string(r)));
        for (int i = 0; i < files; ++i)
            writeFile(roots.back() / (folders ? "d" + std::to_string(i % folders) : "") / ("f" + std::to_string(i)));
    }
    return roots;
}

// How many visits run at the same moment, at most: each visit lasts a while,
// so that threads that could overlap do.
struct Overlap {
    std::atomic<int> inside{0};
    std::atomic<int> widest{0};

    void visit()
    {
        const int now = ++inside;
        int seen = widest.load();
        while (now > seen && !widest.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --inside;
    }
};

} // namespace

// However many folders wait, no more threads walk at once than the pool is
// wide, every entry is seen once, and each root is reported once, at the end
// of its walks.
TEST(ParallelWalk, NeverWiderThanItsWorkersAndEveryEntryOnce)
{
    const std::vector<fs::path> roots = makeRoots("pool-width", 12, 30, 6);

    for (int workers : {1, 2, 4}) {
        Overlap overlap;
        std::atomic<int> entries{0};
        std::mutex mutex;
        std::set<std::thread::id> threads;
        std::multiset<std::size_t> done;
        ParallelWalk::run(
            roots, [&](std::size_t root, const ParallelWalk::Place&) { return openFolder(roots[root]); },
            [&](const Walker::Entry&, const ParallelWalk::Place& place) {
                EXPECT_LT(place.worker, workers);
                {
                    std::lock_guard lock(mutex);
                    threads.insert(std::this_thread::get_id());
                }
                overlap.visit();
                ++entries;
                return Walker::Step::Enter;
            },
            [&](std::size_t root) {
                std::lock_guard lock(mutex);
                done.insert(root);
            },
            {workers, nullptr, 0});
        EXPECT_LE(overlap.widest.load(), workers) << workers << " threads";
        EXPECT_LE(int(threads.size()), workers) << workers << " threads";
        EXPECT_EQ(entries.load(), 12 * (6 + 30)) << workers << " threads";
        std::multiset<std::size_t> every;
        for (std::size_t r = 0; r < roots.size(); ++r)
            every.insert(r);
        EXPECT_EQ(done, every) << workers << " threads";
    }
}

// A chain of single folders stays with the thread that walks it: a folder's
// first subfolder is never handed to another thread, only later ones are.
TEST(ParallelWalk, AChainStaysOnOneThreadAndSiblingsAreShared)
{
    const fs::path chain = freshFolder("pool-chain");
    fs::path level = chain;
    for (int depth = 0; depth < 300; ++depth)
        level /= "d";
    writeFile(level / "bottom");

    std::mutex mutex;
    std::set<int> workersSeen;
    const auto walk = [&](const fs::path& root) {
        workersSeen.clear();
        ParallelWalk::run(
            {root}, [&](std::size_t, const ParallelWalk::Place&) { return openFolder(root); },
            [&](const Walker::Entry&, const ParallelWalk::Place& place) {
                // Slow enough for the second thread to be waiting on a loaded machine.
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                std::lock_guard lock(mutex);
                workersSeen.insert(place.worker);
                return Walker::Step::Enter;
            },
            {}, {2, nullptr, 0});
        return workersSeen;
    };
    EXPECT_EQ(walk(chain).size(), 1u);

    // Many sibling folders with work in them: the waiting thread gets some.
    const fs::path wide = freshFolder("pool-wide");
    for (int i = 0; i < 400; ++i)
        writeFile(wide / ("s" + std::to_string(i)) / "f");
    std::set<int> shared;
    for (int round = 0; round < 5 && shared.size() < 2; ++round)
        shared = walk(wide);
    EXPECT_EQ(shared.size(), 2u);
}

// A cancel ends every walk and begins no further folder or root.
TEST(ParallelWalk, CancelEndsEveryWalk)
{
    const std::vector<fs::path> roots = makeRoots("pool-cancel", 20, 50);
    std::atomic<bool> cancel{false};
    std::atomic<int> entries{0};
    std::atomic<int> done{0};
    ParallelWalk::run(
        roots, [&](std::size_t root, const ParallelWalk::Place&) { return openFolder(roots[root]); },
        [&](const Walker::Entry&, const ParallelWalk::Place&) {
            if (++entries == 60)
                cancel = true;
            return Walker::Step::Enter;
        },
        [&](std::size_t) { ++done; }, {2, &cancel, 0});
    // At most the entry each thread was reading when the flag turned.
    EXPECT_LE(entries.load(), 62);
    EXPECT_LE(done.load(), 1);  // only a root whose walk ended before the cancel
}

// Runs at the same moment share one budget of helper threads: three runs of
// four workers each never walk on more than their three calling threads plus
// the budget, every run still sees all its entries, and a run that starts
// after they end gets its full width back.
TEST(ParallelWalk, RunsAtOnceShareOneBudgetOfHelpers)
{
    const std::vector<fs::path> roots = makeRoots("pool-budget", 12, 20);
    Overlap overlap;
    const auto walk = [&](std::set<int>* workersSeen) {
        std::mutex mutex;
        int entries = 0;
        ParallelWalk::run(
            roots, [&](std::size_t root, const ParallelWalk::Place&) { return openFolder(roots[root]); },
            [&](const Walker::Entry&, const ParallelWalk::Place& place) {
                overlap.visit();
                std::lock_guard lock(mutex);
                ++entries;
                if (workersSeen)
                    workersSeen->insert(place.worker);
                return Walker::Step::Enter;
            },
            {}, {4, nullptr, 0});
        return entries;
    };

    std::vector<int> entries(3, 0);
    std::vector<std::thread> runs;
    for (int& count : entries)
        runs.emplace_back([&walk, &count] { count = walk(nullptr); });
    for (std::thread& run : runs)
        run.join();
    EXPECT_LE(overlap.widest.load(), 3 + ParallelWalk::kMaxHelpers);
    EXPECT_EQ(entries, std::vector<int>(3, 12 * 20));

    std::set<int> alone;
    for (int round = 0; round < 5 && alone.size() < 4; ++round) {
        alone.clear();
        walk(&alone);
    }
    EXPECT_EQ(alone.size(), 4u);
}
