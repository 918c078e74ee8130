#pragma once
// Walks folder trees on a few threads at once: the pool that measuring sizes
// (FS::size, FS::sizeEach), the large-file scan and, through them, the junk
// scan and the application sizes share.
//
// A handful of workers (never one per folder) share a queue of folders still
// to walk. Each worker walks the folder it took with the sequential,
// link-safe walker (Walker::walkOpen), starting from the descriptor that was
// opened for it relative to its parent's. A worker hands a subfolder to the
// queue instead of entering it itself only while the queue is short: one
// folder for each worker waiting for work and one more for each helper
// thread, so a worker that ends its walk finds the next one ready. The queue
// never holds more open folders than that, and each walk keeps its own share
// of the open-folder budget whatever the depth of the tree. Nothing the walks meet is kept here: the
// caller tallies what it needs, per worker, without a lock.
//
// Several roots can be walked in one run: they wait in the queue unopened,
// and each is reported as done once every walk of its tree has ended.
//
// The helper threads of all runs come from one budget for the whole process
// (kMaxHelpers): a run that starts while others hold it walks with fewer
// helpers (at worst on its calling thread alone), so measuring in two places
// at once never takes more threads than one wide run would.
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/Walker.h"

namespace ParallelWalk {

// Helper threads walking at once in the whole process, besides the threads
// that called run().
inline constexpr int kMaxHelpers = 3;

// Where an entry was met: the root whose tree holds it, and the worker (0 to
// workers - 1) walking it. A worker runs one visit at a time, so a tally kept
// per worker needs no lock.
struct Place {
    std::size_t root;
    int worker;
};

// Sees every entry below the roots. A folder it answers Enter for is walked,
// by this worker or by another one; Stop ends this worker's current walk only
// (use the cancel flag to end them all). Called on the walking threads.
using Visit = std::function<Walker::Step(const Walker::Entry&, const Place&)>;
// Opens root `root` for its walk: an open folder (opened with
// FolderFd::kOpenFlags; the pool closes it), or -1 when there is no tree to
// walk. Called on a walking thread, once per root.
using OpenRoot = std::function<int(std::size_t root, const Place&)>;
// Called once per root when every walk of its tree has ended, from a walking
// thread (two may run at once), never after a cancel.
using RootDone = std::function<void(std::size_t root)>;

struct Options {
    // Walking threads, the calling thread included (brought to at least 1;
    // fewer when other runs hold the helper budget).
    int workers = 1;
    // Once true, every walk ends before its next entry and no folder is begun.
    const std::atomic<bool>* cancel = nullptr;
    // Entries the calling thread reads alone before the other workers start
    // (0: they all start at once), so a small tree costs no thread at all.
    int entriesBeforeHelpers = 0;
};

// Walks the trees below `roots` (each opened by `openRoot` when its turn
// comes) and returns when every walk has ended, or soon after a cancel.
void run(const std::vector<std::filesystem::path>& roots, const OpenRoot& openRoot, const Visit& visit, const RootDone& rootDone,
         const Options& options);

} // namespace ParallelWalk
