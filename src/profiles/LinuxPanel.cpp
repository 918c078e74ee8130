// The panel's commands on Linux: speedtest-cli where it is installed; memory
// is freed by the maintenance routine "ram" (the page cache dropped).
#include "profiles/PanelCommands.h"

namespace Profiles {

PanelCommands linuxPanel()
{
    return {.speedTest = "speedtest-cli --json 2>/dev/null",
            .speedProgram = "speedtest-cli",
            .speedDown = "download",
            .speedUp = "upload",
            .purge = ""};
}

} // namespace Profiles
