#include "platform/LowPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace LowPriority {

namespace {

// From linux/ioprio.h, which not every system's headers carry.
constexpr int kWhoProcess = 1;
constexpr int kClassIdle = 3;
constexpr int kClassShift = 13;

} // namespace

void lowerThisThread()
{
    // On Linux both act on the one thread whose id is given.
    const auto thread = static_cast<id_t>(gettid());
    setpriority(PRIO_PROCESS, thread, 19);
    syscall(SYS_ioprio_set, kWhoProcess, thread, kClassIdle << kClassShift);
}

} // namespace LowPriority
