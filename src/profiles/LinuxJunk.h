#pragma once
// Where the linux profile reads the system's junk: the places under "/" and
// the package tools run in a shell, unless another source was chosen (tests
// choose a fixture root and recorded tool output).
#include <functional>
#include <optional>

#include <QStringList>

#include "engines/junk/SystemJunkGroups.h"

namespace Profiles {

struct LinuxSystemJunkSource {
    SystemJunk::SystemPlaces places;
    SystemJunk::ToolRunner run;
    // The packages that own an application of the Apps page; empty: the Apps page's own scan.
    std::function<QStringList()> appPackages = {};
};

// Makes the system part read `source` from now on; nothing restores the real system.
void setLinuxSystemJunkSource(std::optional<LinuxSystemJunkSource> source);

} // namespace Profiles
