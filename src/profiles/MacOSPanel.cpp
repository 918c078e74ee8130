// The panel's commands on macOS.
#include "profiles/PanelCommands.h"

namespace Profiles {

PanelCommands macosPanel()
{
    return {.speedTest = "/usr/bin/networkQuality -s -c 2>/dev/null",
            .speedProgram = "/usr/bin/networkQuality",
            .speedDown = "dl_throughput",
            .speedUp = "ul_throughput",
            .purge = "/usr/sbin/purge"};
}

} // namespace Profiles
