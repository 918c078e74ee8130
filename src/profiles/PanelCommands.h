#pragma once
// The command lines behind the panel's "free memory" and "speed test".
#include <string>

namespace Profiles {

struct PanelCommands {
    std::string speedTest;  // prints one JSON object with the speeds in bits per second
    std::string speedProgram;                      // what the speed test needs (looked up on PATH)
    const char* speedDown = "dl_throughput";       // the JSON keys of the two speeds
    const char* speedUp = "ul_throughput";
    std::string purge;      // the administrator script of the macos profile; empty: the maintenance routine "ram"
};

PanelCommands linuxPanel();
PanelCommands macosPanel();

} // namespace Profiles
