#pragma once
// The command lines behind the panel's "free memory" and "speed test".
#include <string>

namespace Profiles {

struct PanelCommands {
    std::string speedTest;  // prints one JSON object (dl_throughput, ul_throughput in bits per second)
    std::string purge;      // run with administrator rights
};

PanelCommands linuxPanel();
PanelCommands macosPanel();

} // namespace Profiles
