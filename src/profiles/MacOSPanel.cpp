// The panel's commands on macOS.
#include "profiles/PanelCommands.h"

namespace Profiles {

PanelCommands macosPanel()
{
    return {.speedTest = "/usr/bin/networkQuality -s -c 2>/dev/null", .purge = "/usr/sbin/purge"};
}

} // namespace Profiles
