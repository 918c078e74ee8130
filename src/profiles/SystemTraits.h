#pragma once
// Small facts about a system that the walks and the window need: which home
// folders the large-file walk leaves out, which folders are shown as one
// item, the prefix of the system's own applications, and the Full Disk
// Access check with its settings page.
#include <string>
#include <vector>

#include <QString>

#include "engines/records/Large.h"

namespace Profiles {

struct SystemTraits {
    // What the large-file walk leaves out and shows whole, besides its own rules.
    LargeWalkRules large;
    // Identifiers of the system's own applications, never offered ("com.apple."); empty: none.
    QString systemAppPrefix;
    // Whether the window checks that it may read the protected places and
    // shows the banner when it may not.
    bool fullDiskAccessProbe = true;
    // The address of the settings page that grants that access; empty: none.
    QString fullDiskAccessSettings;
};

SystemTraits linuxTraits();
SystemTraits macosTraits();

} // namespace Profiles
