#pragma once
// The space map's measuring: every child of a folder sized on the few threads
// of FS::sizeEach, the results handed over in batches — one as soon as more
// than `interval` seconds have passed since the last, and the rest at the end —
// so that a folder of thousands of children costs a handful of updates.
#include <atomic>
#include <functional>
#include <vector>

#include "space/SpaceLogic.h"

namespace Space {

// Receives one batch; the measuring waits until it returns. False asks the
// measuring to end (its results are no longer wanted).
using HandOver = std::function<bool(Batch batch)>;
// Seconds on a steady clock (tests give their own).
using Clock = std::function<double()>;

inline constexpr double kBatchInterval = 0.35;

// Measures every child (in any order, results as they complete) and returns
// once all are handed over, or soon after `cancel` turns true or a hand-over
// answers false. The last hand-over may carry an empty batch.
void measure(const std::vector<std::filesystem::path>& children, const HandOver& handOver,
             const std::atomic<bool>* cancel = nullptr, const Clock& clock = {},
             double interval = kBatchInterval);

} // namespace Space
