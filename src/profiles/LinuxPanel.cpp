// The panel's commands on Linux. Until their own commands land, the designed ones.
#include "profiles/PanelCommands.h"

namespace Profiles {

PanelCommands linuxPanel()
{
    return macosPanel();
}

} // namespace Profiles
