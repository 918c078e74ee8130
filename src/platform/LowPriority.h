#pragma once
// Work nobody waits for (cleaning on a schedule) yields to everything else.

namespace LowPriority {

// Lowers the calling thread to the lowest processor priority (nice 19) and the idle
// input/output class, so it only reads and writes when the disk is otherwise
// free. Failures are ignored: the work then runs at the usual priority.
void lowerThisThread();

} // namespace LowPriority
